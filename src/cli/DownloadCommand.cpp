#include "DownloadCommand.h"

#include "Console.h"
#include "VideoAlbum.h"
#include "VideoInfo.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QLocale>
#include <QUrl>

namespace {

// The progress line for \a received of \a total bytes (total <= 0: not known).
QString progressText(qint64 received, qint64 total)
{
    const QLocale locale = QLocale::c();
    if (total <= 0)
        return QStringLiteral("downloading: %1").arg(locale.formattedDataSize(received));
    return QStringLiteral("downloading: %1 of %2 (%3%)")
        .arg(locale.formattedDataSize(received), locale.formattedDataSize(total))
        .arg(received * 100 / total);
}

} // namespace

QString DownloadCommand::name() const
{
    return QStringLiteral("download");
}

QString DownloadCommand::synopsis() const
{
    return QStringLiteral("[--out DIR] [--album] TEXT");
}

QString DownloadCommand::summary() const
{
    return QStringLiteral("Resolve TEXT as parse does, download the video into DIR and print the "
                          "saved file's path (with --album also the album copy's).");
}

QList<QCommandLineOption> DownloadCommand::options() const
{
    return { m_out, m_album };
}

QString DownloadCommand::readOptions(const QCommandLineParser &parser)
{
    const QString out = parser.isSet(m_out) ? parser.value(m_out) : QDir::currentPath();
    if (out.isEmpty())
        return QStringLiteral("--out needs a folder");
    m_directory = QDir(out).absolutePath();
    m_copyToAlbum = parser.isSet(m_album);
    return QString();
}

void DownloadCommand::useDirectAddress(const QString &address)
{
    download(address);
}

void DownloadCommand::useRecord(const VideoInfo &record,
                                const std::optional<FailureReason> &failure)
{
    const std::optional<QString> address = record.video();
    if (!address)
        fail(QStringLiteral("the parse failed: %1")
                 .arg(failure ? failure->description() : record.msg().value_or(QString())));
    else if (address->isEmpty())
        fail(QStringLiteral("the item has no video (%1)").arg(record.type().value_or(QString())));
    else
        download(*address);
}

void DownloadCommand::download(const QString &address)
{
    const QUrl url(address, QUrl::StrictMode);
    if (!url.isValid()) {
        fail(QStringLiteral("the play address is not a valid address: %1").arg(address));
        return;
    }
    auto *downloader = new VideoDownloader(this);
    downloader->setDirectory(m_directory);
    connect(downloader, &VideoDownloader::progress, this, &DownloadCommand::showProgress);
    connect(downloader, &VideoDownloader::finished, this, &DownloadCommand::downloadFinished);
    downloader->start(url);
}

void DownloadCommand::showProgress(qint64 received, qint64 total)
{
    if (!Console::errIsTerminal())
        return;
    // Back to the start of the line, then clear what a longer earlier line left.
    Console::err(u'\r' + progressText(received, total) + u"\x1b[K");
    m_progressShown = true;
}

void DownloadCommand::endProgressLine()
{
    if (m_progressShown)
        Console::err(QStringLiteral("\n"));
    m_progressShown = false;
}

void DownloadCommand::downloadFinished(const VideoDownloader::Result &result)
{
    endProgressLine();
    if (!result.ok) {
        fail(result.errorString);
        return;
    }
    Console::out(result.filePath + u'\n');
    if (m_copyToAlbum)
        saveToAlbum(result.filePath);
    else
        Q_EMIT finished(Success);
}

void DownloadCommand::saveToAlbum(const QString &filePath)
{
    auto *album = new VideoAlbum(this);
    connect(album, &VideoAlbum::saved, this, [this](const QString &, const QString &albumPath) {
        Console::out(albumPath + u'\n');
        Q_EMIT finished(Success);
    });
    connect(album, &VideoAlbum::saveFailed, this, [this](const QString &, const QString &error) {
        fail(QStringLiteral("the album copy failed: %1").arg(error));
    });
    album->save(filePath);
}

void DownloadCommand::fail(const QString &reason)
{
    endProgressLine();
    Console::err(QStringLiteral("%1: %2: %3\n")
                     .arg(QCoreApplication::applicationName(), name(), Console::escaped(reason)));
    Q_EMIT finished(Failure);
}
