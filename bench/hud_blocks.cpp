// Cost of the HUD's building blocks: one repaint of a round and of a bar progress view, one
// repaint of a blurred panel and one refresh of its backdrop (after a move), and the spinner's CPU
// time per second of animation (the spinner steps 12 times a second; the target is under 1 % of one
// core).

#include "Fen_QorActivityIndicatorView.h"
#include "Fen_QorBackgroundView.h"
#include "Fen_QorBarProgressView.h"
#include "Fen_QorBlurEffectView.h"
#include "Fen_QorRoundProgressView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QTextStream>
#include <QTimer>

#include <sys/resource.h>

#include <functional>

namespace {

double microsecondsPerRun(int runs, const std::function<void(int)> &run)
{
    for (int i = 0; i < runs / 10; ++i)
        run(i); // warm-up
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < runs; ++i)
        run(i);
    return double(timer.nsecsElapsed()) / 1000.0 / runs;
}

// One repaint of \a view into a 2x image, the progress changing every time.
template<typename View>
double repaintMicroseconds(View &view, int runs)
{
    QImage target(view.size() * 2, QImage::Format_ARGB32_Premultiplied);
    target.setDevicePixelRatio(2.0);
    return microsecondsPerRun(runs, [&](int i) {
        view.setProgress(float(i % 1000) / 1000.0f);
        target.fill(Qt::transparent);
        view.render(&target, QPoint(), QRegion(), QWidget::DrawChildren);
    });
}

double cpuSeconds()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
        + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Share of one core the process uses while only the spinner animates, over \a seconds.
double spinnerCorePercent(int seconds)
{
    QWidget window;
    window.resize(100, 100);
    auto *spinner = new Fen_QorActivityIndicatorView(&window);
    spinner->move(31, 31);
    spinner->setColor(Qt::white);
    spinner->startAnimating();
    window.show();
    QCoreApplication::processEvents();

    const double cpuBefore = cpuSeconds();
    QElapsedTimer wall;
    wall.start();
    QEventLoop loop;
    QTimer::singleShot(seconds * 1000, &loop, &QEventLoop::quit);
    loop.exec();
    const double cpu = cpuSeconds() - cpuBefore;
    return 100.0 * cpu / (double(wall.nsecsElapsed()) / 1e9);
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTextStream out(stdout);

    Fen_QorRoundProgressView round;
    out << "round view repaint (37 x 37, pie):     " << repaintMicroseconds(round, 5000) << " us\n";
    round.setAnnular(true);
    out << "round view repaint (37 x 37, annular): " << repaintMicroseconds(round, 5000) << " us\n";
    Fen_QorBarProgressView bar(QRect(0, 0, 120, 10));
    out << "bar view repaint (120 x 10):           " << repaintMicroseconds(bar, 5000) << " us\n";

    QWidget backdrop;
    backdrop.resize(300, 200);
    auto *panel = new Fen_QorBackgroundView(QRect(60, 50, 180, 100), &backdrop);
    panel->setCornerRadius(5.0);
    backdrop.show();
    QCoreApplication::processEvents();
    QImage target(panel->size() * 2, QImage::Format_ARGB32_Premultiplied);
    target.setDevicePixelRatio(2.0);
    out << "blurred panel repaint (180 x 100):     " << microsecondsPerRun(2000, [&](int) {
        panel->render(&target, QPoint(), QRegion(), QWidget::DrawChildren);
    }) << " us\n";

    auto *blur = qobject_cast<Fen_QorBlurEffectView *>(panel->effectView());
    out << "blurred panel backdrop refresh:        " << microsecondsPerRun(200, [&](int) {
        const int count = blur->snapshotCount();
        panel->move(panel->x() == 60 ? 61 : 60, 50);
        while (blur->snapshotCount() == count)
            QCoreApplication::processEvents();
    }) << " us\n";
    out.flush();

    const double percent = spinnerCorePercent(3);
    out << "spinner animating: " << percent << " % of one core (target < 1 %)\n";
    return 0;
}
