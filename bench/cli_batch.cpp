// kivora-cli download of a batch of 100 inputs against the sample platform with 100 ms of latency
// per response, with --jobs 1 and with --jobs 8, one after the other in the same run.
//
//   bench_cli_batch [inputs, default 100]
//
// Targets: --jobs 8 at least 6 × faster than --jobs 1; the tool's peak memory (its maximum
// resident set size, as wait4 reports it) under 64 MB in both runs. The exit status is 1 when a
// target is missed.

#include "SamplePlatform.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

#include <optional>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

using namespace Qt::StringLiterals;

extern char **environ;

namespace {

constexpr int latencyMs = 100;
constexpr double speedUpTarget = 6.0;
constexpr qint64 memoryTargetBytes = 64 * 1000 * 1000;

QTextStream &out()
{
    static QTextStream stream(stdout);
    return stream;
}

struct Run
{
    double seconds = 0;
    qint64 peakBytes = 0;
};

// Runs kivora-cli with \a arguments, its output dropped; its time and peak memory, or nothing
// when it failed.
std::optional<Run> runCli(const QStringList &arguments)
{
    QList<QByteArray> words { QByteArrayLiteral(KIVORA_CLI_PATH) };
    for (const QString &argument : arguments)
        words.append(argument.toLocal8Bit());
    std::vector<char *> argv;
    for (QByteArray &word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    QElapsedTimer timer;
    timer.start();
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv.front(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return std::nullopt;
    int status = 0;
    rusage usage {};
    if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return std::nullopt;
    return Run { timer.nsecsElapsed() / 1e9, qint64(usage.ru_maxrss) * 1024 };
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    const int inputs = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 100;
    if (inputs <= 0) {
        out() << "usage: bench_cli_batch [inputs]" << Qt::endl;
        return 2;
    }
    SamplePlatform platform;
    if (!platform.start()) {
        out() << "cannot start the sample platform" << Qt::endl;
        return 2;
    }
    SamplePlatform::Faults slow;
    slow.latencyMs = latencyMs;
    platform.setFaults(slow);

    // The video items of the platform, by ID, in turn.
    QStringList ids;
    for (const SamplePlatform::Item &item : platform.items()) {
        if (!item.playUri.isEmpty() && !item.nickname.isEmpty())
            ids.append(item.videoId);
    }
    QTemporaryDir directory;
    QFile list(directory.filePath(u"batch.txt"_s));
    if (!list.open(QIODevice::WriteOnly))
        return 2;
    for (int i = 0; i < inputs; ++i)
        list.write(ids.at(i % ids.size()).toUtf8() + '\n');
    list.close();

    const Endpoints endpoints = platform.endpoints();
    const auto run = [&](int jobs) {
        return runCli({ u"--short-link-host"_s, endpoints.shortLinkHost, u"--share-origin"_s,
                        endpoints.shareOrigin, u"--web-origin"_s, endpoints.webOrigin,
                        u"--ca-certificates"_s, SamplePlatform::caCertificatesPath(), u"download"_s,
                        u"-q"_s, u"--jobs"_s, QString::number(jobs), u"-a"_s, list.fileName(),
                        u"-P"_s, directory.filePath(u"jobs-%1"_s.arg(jobs)) });
    };
    const std::optional<Run> one = run(1);
    const std::optional<Run> eight = run(8);
    if (!one || !eight) {
        out() << "a kivora-cli run failed" << Qt::endl;
        return 1;
    }
    const double speedUp = one->seconds / eight->seconds;
    const qint64 peak = std::max(one->peakBytes, eight->peakBytes);
    out() << "kivora-cli download of " << inputs << " inputs, " << latencyMs << " ms per response"
          << Qt::endl
          << "  --jobs 1: " << one->seconds << " s, peak memory " << one->peakBytes / 1e6 << " MB"
          << Qt::endl
          << "  --jobs 8: " << eight->seconds << " s, peak memory " << eight->peakBytes / 1e6
          << " MB" << Qt::endl
          << "  speed-up " << speedUp << " (target >= " << speedUpTarget
          << "): " << (speedUp >= speedUpTarget ? "met" : "MISSED") << Qt::endl
          << "  peak memory " << peak / 1e6
          << " MB (target < 64 MB): " << (peak < memoryTargetBytes ? "met" : "MISSED") << Qt::endl;
    return speedUp >= speedUpTarget && peak < memoryTargetBytes ? 0 : 1;
}
