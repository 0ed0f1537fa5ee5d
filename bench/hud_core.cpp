// The HUD's own running costs: a show/hide cycle (plain and animated, painting included) and the
// sampling of a progress object that stands still, which must cost no repaint at all.

#include "Fen_QorProgress.h"
#include "Fen_QorProgressHUD.h"
#include "Fen_QorProgressHUDPrivate.h"
#include "Fen_QorProgressSampler.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLabel>
#include <QTimer>

#include <sys/resource.h>

#include <cstdio>

namespace {

double cpuSeconds()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval &t) { return double(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// Runs the event loop, idle between events, for \a milliseconds.
void processEventsFor(int milliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

class PaintCounter : public QObject
{
public:
    explicit PaintCounter(QWidget *widget) { widget->installEventFilter(this); }
    int paints = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        paints += event->type() == QEvent::Paint;
        return false;
    }
};

QWidget *newHost()
{
    auto *host = new QWidget;
    host->resize(320, 480);
    host->show();
    processEventsFor(50);
    return host;
}

void plainCycles()
{
    QWidget *host = newHost();
    auto *hud = new Fen_QorProgressHUD(host);
    hud->label()->setText(QStringLiteral("Loading"));
    hud->setParent(host);
    hud->show();
    constexpr int cycles = 500;
    const double cpuBefore = cpuSeconds();
    QElapsedTimer wall;
    wall.start();
    for (int i = 0; i < cycles; ++i) {
        hud->showAnimated(false);
        QCoreApplication::processEvents();
        hud->hideAnimated(false);
        QCoreApplication::processEvents();
    }
    const double cpu = cpuSeconds() - cpuBefore;
    std::printf("plain show/hide cycle (with layout and paint): %.1f us CPU, %.1f us wall\n",
                cpu / cycles * 1e6, double(wall.nsecsElapsed()) / cycles / 1e3);
    delete host;
}

void animatedCycles()
{
    QWidget *host = newHost();
    constexpr int cycles = 3;
    const double cpuBefore = cpuSeconds();
    for (int i = 0; i < cycles; ++i) {
        auto *hud = Fen_QorProgressHUD::showHUDAddedTo(host, true);
        hud->label()->setText(QStringLiteral("Loading"));
        processEventsFor(350);
        Fen_QorProgressHUD::hideHUDForView(host, true);
        processEventsFor(350);
    }
    const double cpu = cpuSeconds() - cpuBefore;
    std::printf("animated show/hide cycle (0.3 s each way, frames painted): %.2f ms CPU\n",
                cpu / cycles * 1e3);
    delete host;
}

void standingProgress()
{
    QWidget *host = newHost();
    auto *hud = new Fen_QorProgressHUD(host);
    hud->setMode(Fen_QorProgressHUDModeAnnularProgress);
    hud->setParent(host);
    hud->show();
    auto progress = std::make_shared<Fen_QorProgress>(100);
    progress->setCompletedUnitCount(40);
    hud->setProgressObject(progress);
    hud->showAnimated(false);
    processEventsFor(200); // first sample, layout and first paint
    Fen_QorProgressHUDPrivate *inside = Fen_QorProgressHUDPrivate::get(hud);
    PaintCounter counter(inside->indicator());
    constexpr int seconds = 2;
    const int interval = inside->sampler->displayLink()->interval();
    const double cpuBefore = cpuSeconds();
    processEventsFor(seconds * 1000);
    const double cpu = cpuSeconds() - cpuBefore;
    const int samples = seconds * 1000 / interval;
    std::printf("standing progress: %d samples at %d ms, %d repaints (target 0), "
                "%.2f %% of a core, %.2f us per sample\n",
                samples, interval, counter.paints, cpu / seconds * 100.0, cpu / samples * 1e6);
    delete host;
}

// A HUD left on its host after hiding (no removal) keeps its spinner; it must cost next to nothing.
void hiddenSpinner()
{
    QWidget *host = newHost();
    auto *hud = new Fen_QorProgressHUD(host);
    hud->setParent(host);
    hud->show();
    hud->showAnimated(false);
    hud->hideAnimated(false);
    processEventsFor(100);
    PaintCounter hostPaints(host);
    constexpr int seconds = 2;
    const double cpuBefore = cpuSeconds();
    processEventsFor(seconds * 1000);
    const double cpu = cpuSeconds() - cpuBefore;
    std::printf("hidden HUD with a spinner: %d host repaints, %.2f %% of a core\n",
                hostPaints.paints, cpu / seconds * 100.0);
    delete host;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    plainCycles();
    animatedCycles();
    standingProgress();
    hiddenSpinner();
    return 0;
}
