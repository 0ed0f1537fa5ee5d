#include "VideoAlbum.h"

#include "SuggestedFileName.h"
#include "VerifiedSaveFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QPromise>
#include <QStandardPaths>
#include <QThreadPool>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

constexpr qint64 copyChunkSize = 1024 * 1024;

struct SaveOutcome
{
    QString albumPath;
    QString errorString;
};

SaveOutcome copyFailure(const QString &reason)
{
    return { QString(), reason };
}

// Runs on a worker thread: copies through a VerifiedSaveFile, so the album never holds a partial
// copy and a copy is called saved only once its size on disk is checked.
SaveOutcome copyIntoAlbum(const QString &sourcePath, MediaKind kind, const QString &albumDirectory)
{
    QFile source(sourcePath);
    if (!source.open(QIODevice::ReadOnly))
        return copyFailure(
            VideoAlbum::tr("Cannot read %1: %2").arg(sourcePath, source.errorString()));
    if (!isMediaOfKind(source.peek(VideoAlbum::sniffingBytes), kind))
        return copyFailure(kind == MediaKind::Image
                               ? VideoAlbum::tr("%1 is not a picture").arg(sourcePath)
                               : VideoAlbum::tr("%1 is not a video").arg(sourcePath));
    if (!QDir().mkpath(albumDirectory))
        return copyFailure(VideoAlbum::tr("Cannot create the folder %1").arg(albumDirectory));

    const QString claimedPath
        = SuggestedFileName::claimUnique(albumDirectory, QFileInfo(sourcePath).fileName());
    if (claimedPath.isEmpty())
        return copyFailure(VideoAlbum::tr("Cannot create a file in %1").arg(albumDirectory));
    VerifiedSaveFile target(claimedPath);
    if (!target.open())
        return copyFailure(target.errorString());
    while (!source.atEnd()) {
        const QByteArray chunk = source.read(copyChunkSize);
        if (chunk.isEmpty() && source.error() != QFile::NoError) {
            target.cancel();
            return copyFailure(
                VideoAlbum::tr("Cannot read %1: %2").arg(sourcePath, source.errorString()));
        }
        if (!target.write(chunk))
            return copyFailure(target.errorString());
    }
    if (target.bytesWritten() != source.size()) {
        target.cancel();
        return copyFailure(VideoAlbum::tr("%1 changed while it was copied").arg(sourcePath));
    }
    if (!target.commit())
        return copyFailure(target.errorString());
    return { claimedPath, QString() };
}

} // namespace

VideoAlbum::VideoAlbum(QObject *parent) : QObject(parent) { }

namespace {
// The folders the user chose; empty: the standard ones. Set and read on the main thread.
QString chosenVideos;
QString chosenPictures;
} // namespace

void VideoAlbum::setFolders(const QString &videos, const QString &pictures)
{
    chosenVideos = videos;
    chosenPictures = pictures;
}

QString VideoAlbum::directory()
{
    if (!chosenVideos.isEmpty())
        return chosenVideos;
    return QStandardPaths::writableLocation(QStandardPaths::MoviesLocation) + u"/Kivora"_s;
}

QString VideoAlbum::picturesDirectory()
{
    if (!chosenPictures.isEmpty())
        return chosenPictures;
    return QStandardPaths::writableLocation(QStandardPaths::PicturesLocation) + u"/Kivora"_s;
}

QString VideoAlbum::directoryFor(MediaKind kind)
{
    return kind == MediaKind::Image ? picturesDirectory() : directory();
}

bool VideoAlbum::isCompatible(const QString &path)
{
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        return false;
    return isCompatibleData(file.read(sniffingBytes));
}

bool VideoAlbum::isCompatibleData(const QByteArray &head)
{
    return isMediaOfKind(head, MediaKind::Video);
}

void VideoAlbum::save(const QString &path, MediaKind kind)
{
    auto promise = std::make_shared<QPromise<SaveOutcome>>();
    auto *watcher = new QFutureWatcher<SaveOutcome>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, path] {
        const SaveOutcome outcome = watcher->result();
        watcher->deleteLater();
        if (outcome.errorString.isEmpty())
            Q_EMIT saved(path, outcome.albumPath);
        else
            Q_EMIT saveFailed(path, outcome.errorString);
    });
    watcher->setFuture(promise->future());
    QThreadPool::globalInstance()->start(
        [promise, path, kind, albumDirectory = directoryFor(kind)] {
            promise->start();
            promise->addResult(copyIntoAlbum(path, kind, albumDirectory));
            promise->finish();
        });
}
