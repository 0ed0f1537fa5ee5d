// Start-up cost of the window application: time from process start to the first painted window,
// beside a bare Qt window program, and the process's memory (RSS) before and after the first
// playback. Runs each program several times in child processes of itself and prints medians.
//
// Targets: the application's start under 2 × the bare window's; under 60 MB RSS before the first
// playback.

#include "ApplicationShell.h"
#include "LaunchOptions.h"
#include "PlayerView.h"
#include "SamplePlatform.h"
#include "VideoFrameView.h"
#include "ViewController.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>

#include <algorithm>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

constexpr int Runs = 7;

double residentMegabytes()
{
    QFile status(u"/proc/self/status"_s);
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    }
    return -1;
}

void report(const char *key, double value)
{
    std::printf("%s %.3f\n", key, value);
    std::fflush(stdout);
}

// Calls \a then once, right after the first paint of \a window has been delivered.
class FirstPaint : public QObject
{
public:
    FirstPaint(QWidget *window, std::function<void()> then) : m_then(std::move(then))
    {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && m_then) {
            watched->removeEventFilter(this);
            QTimer::singleShot(0, this, std::exchange(m_then, nullptr));
        }
        return false;
    }

private:
    std::function<void()> m_then;
};

int runBareWindow(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QWidget window;
    window.resize(ApplicationShell::defaultWindowSize());
    FirstPaint painted(&window, [] {
        report("painted", 0);
        report("rss", residentMegabytes());
        QCoreApplication::quit();
    });
    window.show();
    return QApplication::exec();
}

int runApplication(int argc, char *argv[], const QString &videoPath)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(u"Kivora"_s);
    ApplicationShell shell;
    if (!shell.launch(LaunchOptions()))
        return 1;
    ViewController *screen = shell.mainScreen();
    FirstPaint painted(screen->window(), [screen, videoPath] {
        report("painted", 0);
        report("rss", residentMegabytes());
        screen->play(QUrl::fromLocalFile(videoPath).toString());
        auto *poll = new QTimer(screen);
        QObject::connect(poll, &QTimer::timeout, screen, [screen] {
            if (!screen->playerView() || !screen->playerView()->videoSurface()->hasFrame())
                return;
            report("rss-after-playback", residentMegabytes());
            QCoreApplication::quit();
        });
        poll->start(20);
    });
    return QApplication::exec();
}

struct Sample
{
    double startMs = -1;
    double rss = -1;
    double rssAfterPlayback = -1;
};

Sample runChild(const QString &mode, const QStringList &extra)
{
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer clock;
    clock.start();
    child.start(QCoreApplication::applicationFilePath(), QStringList { mode } + extra);
    Sample sample;
    while (child.state() != QProcess::NotRunning || child.canReadLine()) {
        if (!child.canReadLine() && !child.waitForReadyRead(30000))
            break;
        while (child.canReadLine()) {
            const QList<QByteArray> fields = child.readLine().trimmed().split(' ');
            if (fields.first() == "painted")
                sample.startMs = clock.nsecsElapsed() / 1e6;
            else if (fields.first() == "rss")
                sample.rss = fields.last().toDouble();
            else if (fields.first() == "rss-after-playback")
                sample.rssAfterPlayback = fields.last().toDouble();
        }
    }
    child.waitForFinished(30000);
    return sample;
}

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? -1 : values.at(values.size() / 2);
}

int runBenchmark(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
        && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_LOGGING_RULES", "kivora.info=false");

    QTemporaryDir directory;
    const QString videoPath = directory.filePath(u"sample.mp4"_s);
    QFile video(videoPath);
    if (!video.open(QIODevice::WriteOnly) || video.write(SamplePlatform::sampleVideo()) <= 0)
        return 1;
    video.close();

    QList<double> bareStart, appStart, bareRss, appRss, appRssPlayed;
    runChild(u"bare"_s, {}); // warm the file cache for both
    runChild(u"app"_s, { videoPath });
    for (int i = 0; i < Runs; ++i) {
        const Sample bare = runChild(u"bare"_s, {});
        const Sample app = runChild(u"app"_s, { videoPath });
        bareStart.append(bare.startMs);
        bareRss.append(bare.rss);
        appStart.append(app.startMs);
        appRss.append(app.rss);
        appRssPlayed.append(app.rssAfterPlayback);
    }

    const double ratio = median(appStart) / median(bareStart);
    std::printf("bench_app_start (%d runs, medians, platform %s)\n", Runs,
                qgetenv("QT_QPA_PLATFORM").isEmpty() ? "default"
                                                     : qgetenv("QT_QPA_PLATFORM").constData());
    std::printf("  bare QWidget window:  first paint %7.1f ms   RSS %6.1f MB\n", median(bareStart),
                median(bareRss));
    std::printf("  kivora window:        first paint %7.1f ms   RSS %6.1f MB   after first "
                "playback %6.1f MB\n",
                median(appStart), median(appRss), median(appRssPlayed));
    std::printf("  start ratio %.2f (target < 2.00): %s\n", ratio, ratio < 2.0 ? "met" : "MISSED");
    std::printf("  RSS before playback %.1f MB (target < 60): %s\n", median(appRss),
                median(appRss) < 60 ? "met" : "MISSED");
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    const QByteArray mode = argc > 1 ? QByteArray(argv[1]) : QByteArray();
    if (mode == "bare")
        return runBareWindow(argc, argv);
    if (mode == "app" && argc > 2)
        return runApplication(argc, argv, QString::fromLocal8Bit(argv[2]));
    return runBenchmark(argc, argv);
}
