#pragma once

#include "ShareTextCommand.h"

#include "VideoDownloader.h"

/*!
 * \brief "download [--out DIR] [--album] TEXT": resolves the TEXT as "parse" does and downloads
 * the video behind its play address, as the window's download button does.
 *
 * The file goes into DIR (default: the current directory, created when missing) under the name
 * the response suggests, made safe and unique, and its path is printed on stdout. With --album a
 * copy goes into the video album too, and its path follows. While the transfer runs, a terminal on
 * stderr shows one updating progress line. Exit status 0 when everything asked for was saved, 1
 * (with the reason on stderr) when the parse, the download or the album copy failed.
 */
class DownloadCommand : public ShareTextCommand
{
    Q_OBJECT

public:
    using ShareTextCommand::ShareTextCommand;

    QString name() const override;
    QString synopsis() const override;
    QString summary() const override;
    QList<QCommandLineOption> options() const override;

protected:
    QString readOptions(const QCommandLineParser &parser) override;
    void useDirectAddress(const QString &address) override;
    void useRecord(const VideoInfo &record, const std::optional<FailureReason> &failure) override;

private:
    void download(const QString &address);
    void showProgress(qint64 received, qint64 total);
    void endProgressLine();
    void downloadFinished(const VideoDownloader::Result &result);
    void saveToAlbum(const QString &filePath);
    void fail(const QString &reason);

    QCommandLineOption m_out { QStringLiteral("out"),
                               QStringLiteral("download: save the file into DIR (default: the "
                                              "current directory)."),
                               QStringLiteral("DIR") };
    QCommandLineOption m_album { QStringLiteral("album"),
                                 QStringLiteral("download: also copy the file into the video "
                                                "album.") };
    QString m_directory;
    bool m_copyToAlbum = false;
    bool m_progressShown = false;
};
