#include "GalleryDownload.h"

#include "MediaKind.h"
#include "SuggestedFileName.h"
#include "VideoDownloader.h"

#include <QFile>
#include <QStandardPaths>

using namespace Qt::StringLiterals;

namespace {

constexpr int maximumStemLength = 80;

} // namespace

GalleryDownload::GalleryDownload(QObject *parent) : QObject(parent) { }

GalleryDownload::~GalleryDownload() = default;

QString GalleryDownload::albumDirectory()
{
    return QStandardPaths::writableLocation(QStandardPaths::PicturesLocation) + u"/Kivora"_s;
}

void GalleryDownload::start(const QStringList &addresses, const QString &name)
{
    if (m_running)
        return;
    m_addresses = addresses;
    m_name = name;
    m_saved.clear();
    m_running = true;
    m_cancelled = false;
    // Through the event loop, so that finished() never comes from inside start().
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (m_running && !m_cancelled)
                downloadNext();
        },
        Qt::QueuedConnection);
}

void GalleryDownload::cancel()
{
    if (!m_running || m_cancelled)
        return;
    m_cancelled = true;
    // The picture on its way is dropped by its downloader, which then finishes; what was saved
    // goes then.
    if (m_downloader)
        m_downloader->abort();
    else
        dropSaved();
}

bool GalleryDownload::isRunning() const
{
    return m_running;
}

void GalleryDownload::downloadNext()
{
    const int index = int(m_saved.size());
    const int count = int(m_addresses.size());
    if (index == count) {
        finish(QString());
        return;
    }
    auto *downloader = new VideoDownloader(this);
    m_downloader = downloader;
    downloader->setDirectory(albumDirectory());
    downloader->setExpectedKind(MediaKind::Image);
    downloader->setFileName(pictureName());
    downloader->setContinuePartial(false);
    downloader->setMaximumSize(maximumPictureBytes);
    connect(downloader, &VideoDownloader::progress, this,
            [this, index, count](qint64 received, qint64 total) {
                Q_EMIT progress(index, count, received, total);
            });
    connect(downloader, &VideoDownloader::finished, this,
            [this, downloader](const VideoDownloader::Result &result) {
                downloader->deleteLater();
                pictureFinished(result.ok, result.filePath, result.errorString);
            });
    Q_EMIT progress(index, count, 0, -1);
    downloader->start(QUrl(m_addresses.at(index), QUrl::StrictMode));
}

void GalleryDownload::pictureFinished(bool ok, const QString &filePath, const QString &errorString)
{
    m_downloader = nullptr;
    if (m_cancelled) {
        if (ok)
            QFile::remove(filePath); // it was complete before the cancel reached it
        dropSaved();
        return;
    }
    if (!ok) {
        finish(tr("Picture %1: %2").arg(m_saved.size() + 1).arg(errorString));
        return;
    }
    m_saved.append(filePath);
    downloadNext();
}

// "NAME 1.jpg" … "NAME 12.jpg" with the numbers padded, so that the names sort in order; a long
// NAME is shortened before the number, never the number. The downloader gives the name the
// extension of what the picture is.
QString GalleryDownload::pictureName() const
{
    QString stem = SuggestedFileName::sanitize(m_name).left(maximumStemLength);
    if (!stem.isEmpty() && stem.back().isHighSurrogate())
        stem.chop(1);
    const int width = int(QString::number(m_addresses.size()).size());
    const QString number = u"%1"_s.arg(m_saved.size() + 1, width, 10, QLatin1Char('0'));
    return SuggestedFileName::sanitize(stem + u' ' + number + u".jpg"_s);
}

void GalleryDownload::dropSaved()
{
    for (const QString &path : std::as_const(m_saved))
        QFile::remove(path);
    m_saved.clear();
    finish(tr("Cancelled"));
}

void GalleryDownload::finish(const QString &errorString)
{
    m_running = false;
    Q_EMIT finished(m_saved, errorString);
}
