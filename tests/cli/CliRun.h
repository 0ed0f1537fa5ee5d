#pragma once

#include "SamplePlatform.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStringList>

#include <functional>

// Runs the built kivora-cli as a user would, against the sample platform; shared by the CLI suites.
namespace CliRun {

struct Run
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

struct Options
{
    QString loggingRules; //!< replaces QT_LOGGING_RULES
    QString sandbox; //!< when given: the working directory and the home (the album is below it)
    QString outputFile; //!< when given: standard output goes there
    QByteArray input; //!< standard input
    int timeoutMs = 30000;
};

inline Run run(const QStringList &arguments, const Options &options = {})
{
    QProcess process;
    if (!options.outputFile.isEmpty())
        process.setStandardOutputFile(options.outputFile);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_LOGGING_RULES"), options.loggingRules);
    if (!options.sandbox.isEmpty()) {
        environment.insert(QStringLiteral("HOME"), options.sandbox);
        environment.remove(QStringLiteral("XDG_CONFIG_HOME"));
        process.setWorkingDirectory(options.sandbox);
    }
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(KIVORA_CLI_PATH), arguments);
    process.write(options.input);
    process.closeWriteChannel();
    Run result;
    if (!process.waitForFinished(options.timeoutMs)
        || process.exitStatus() != QProcess::NormalExit) {
        process.kill();
        process.waitForFinished();
        return result;
    }
    result.exitCode = process.exitCode();
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}

inline QStringList endpointOptions(const SamplePlatform &platform)
{
    const Endpoints endpoints = platform.endpoints();
    return { QStringLiteral("--short-link-host"), endpoints.shortLinkHost,
             QStringLiteral("--share-origin"),    endpoints.shareOrigin,
             QStringLiteral("--web-origin"),      endpoints.webOrigin,
             QStringLiteral("--ca-certificates"), SamplePlatform::caCertificatesPath() };
}

// "download" in \a sandbox with \a arguments after the command.
inline Run download(const SamplePlatform &platform, const QString &sandbox,
                    const QStringList &arguments, const QByteArray &input = {})
{
    Options options;
    options.sandbox = sandbox;
    options.input = input;
    return run(endpointOptions(platform) << QStringLiteral("download") << arguments, options);
}

// The lines of \a out, each parsed as a JSON object (an empty object for a line that is none).
inline QList<QJsonObject> jsonLines(const QByteArray &out)
{
    QList<QJsonObject> objects;
    for (const QByteArray &line : out.split('\n')) {
        if (!line.isEmpty())
            objects.append(QJsonDocument::fromJson(line).object());
    }
    return objects;
}

// The saved paths a download printed, one per line.
inline QStringList printedPaths(const Run &run)
{
    QStringList lines = QString::fromUtf8(run.out).split(u'\n');
    if (lines.takeLast() != u"")
        return {};
    return lines;
}

// Every file below \a folder, hidden and temporary ones included.
inline QStringList filesBelow(const QString &folder)
{
    QStringList files;
    const QFileInfoList entries = QDir(folder).entryInfoList(QDir::Files | QDir::Dirs | QDir::Hidden
                                                             | QDir::NoDotAndDotDot);
    for (const QFileInfo &entry : entries)
        files += entry.isDir() ? filesBelow(entry.filePath()) : QStringList(entry.filePath());
    return files;
}

// An item of the platform's, under an ID and short code of its own, whose media \a replace
// changes.
inline SamplePlatform::Item addedItem(SamplePlatform &platform, SamplePlatform::PageVariant variant,
                                      const std::function<void(SamplePlatform::Item &)> &replace)
{
    SamplePlatform::Item item = platform.item(variant);
    item.videoId = QStringLiteral("7377777777777777777");
    item.shortCode = QStringLiteral("Pa-Rt_1Al2x");
    replace(item);
    return platform.addItem(item);
}

inline QByteArray contentOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace CliRun
