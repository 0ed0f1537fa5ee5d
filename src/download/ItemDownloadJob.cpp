#include "ItemDownloadJob.h"

#include "VideoAlbum.h"

#include <QFile>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace {

SavedFile savedFile(const QString &path, const QString &role, const QString &key)
{
    return { path, QFileInfo(path).size(), role, key };
}

} // namespace

ItemDownloadJob::ItemDownloadJob(QObject *parent) : Job(parent) { }

ItemDownloadJob::~ItemDownloadJob() = default;

void ItemDownloadJob::begin()
{
    m_next = 0;
    m_saved.clear();
    m_cancelling = false;
    m_stopping = false;
    m_failedFile = 0;
    m_keptPartialPath.clear();
    plan();
    if (m_plan.isEmpty()) {
        finish(JobOutcome::failed(FailureReason(FailureReason::Kind::NothingToSave, QString())));
        return;
    }
    downloadNext();
}

// The drop happens once the step that runs has ended: a file on its way, or an album copy that
// cannot be undone half-way, is removed with the rest.
void ItemDownloadJob::abandon()
{
    m_cancelling = true;
    if (m_downloader)
        m_downloader->abort();
}

void ItemDownloadJob::pause()
{
    m_stopping = true;
    if (m_downloader)
        m_downloader->stop();
}

// The files of the item in the order they are saved: the gallery's pictures, or else the video;
// then the cover when asked for.
void ItemDownloadJob::plan()
{
    m_plan.clear();
    const std::optional<VideoInfo> &record = m_item.record;
    const QStringList images = record ? record->images().value_or(QStringList()) : QStringList();
    if (!images.isEmpty()) {
        addPictures(images);
    } else {
        QString video = record ? record->video().value_or(QString()) : QString();
        if (video.isEmpty())
            video = m_item.playAddress;
        if (!video.isEmpty())
            m_plan.append({ QUrl(video), MediaKind::Video, u"video"_s, QString(), QString(),
                            u"video"_s });
    }
    const QString cover = record ? record->cover().value_or(QString()) : QString();
    if (m_cover && !cover.isEmpty() && !m_plan.isEmpty())
        m_plan.append({ QUrl(cover), MediaKind::Image, u"cover"_s, u"cover"_s, tr("Cover"),
                        u"cover"_s });
    m_plan.removeIf([this](const PlannedFile &file) { return m_leftOut.contains(file.key); });
}

// The numbers are padded to the same width, so that the names sort in the gallery's order.
void ItemDownloadJob::addPictures(const QStringList &addresses)
{
    const QString count = QString::number(addresses.size());
    for (qsizetype i = 0; i < addresses.size(); ++i) {
        const QString number = QString::number(i + 1);
        m_plan.append({ QUrl(addresses.at(i), QUrl::StrictMode), MediaKind::Image, u"image"_s,
                        number.rightJustified(count.size(), u'0'),
                        tr("Picture %1 of %2").arg(number, count), number });
    }
}

// Empty for an item without a record under the default template: the server names the file.
QString ItemDownloadJob::fileName(const PlannedFile &file) const
{
    if (!m_item.record && m_nameTemplate.isDefault())
        return {};
    FileNameTemplate::Fields fields;
    fields.id = m_item.videoId;
    if (m_item.record) {
        fields.name = m_item.record->name().value_or(QString());
        fields.title = m_item.record->title().value_or(QString());
        fields.type = m_item.record->type().value_or(QString());
    }
    fields.index = file.index;
    fields.ext = file.kind == MediaKind::Image ? u"jpg"_s : u"mp4"_s;
    return m_nameTemplate.render(fields);
}

void ItemDownloadJob::downloadNext()
{
    if (m_next == m_plan.size()) {
        finish(JobOutcome::done(m_saved));
        return;
    }
    if (m_stopping) {
        finish(JobOutcome::stopped(m_saved));
        return;
    }
    const PlannedFile &file = current();
    auto *downloader = new VideoDownloader(this);
    m_downloader = downloader;
    downloader->setDirectory(m_directory);
    downloader->setFileName(fileName(file));
    downloader->setExpectedKind(file.kind);
    if (file.kind == MediaKind::Image)
        downloader->setMaximumSize(maximumPictureBytes);
    downloader->setInactivityTimeout(m_inactivityTimeout);
    downloader->setRetries(m_retries);
    downloader->setContinuePartial(m_continuePartial);
    downloader->setUserAgent(m_userAgent);
    connect(downloader, &VideoDownloader::progress, this,
            [this, label = file.label](qint64 received, qint64 total) {
                Q_EMIT progress(received, total, label);
            });
    connect(downloader, &VideoDownloader::retrying, this, &ItemDownloadJob::retrying);
    connect(downloader, &VideoDownloader::finished, this, &ItemDownloadJob::fileFinished);
    Q_EMIT fileStarted(int(m_next) + 1, int(m_plan.size()), downloader->fileName(), file.url);
    Q_EMIT progress(0, -1, file.label);
    downloader->start(file.url);
}

void ItemDownloadJob::fileFinished(const VideoDownloader::Result &result)
{
    const QString kept = m_downloader ? m_downloader->keptPartialPath() : QString();
    if (m_downloader)
        m_downloader->deleteLater();
    m_downloader = nullptr;
    if (m_cancelling) {
        // A file complete before the cancel reached it goes too.
        if (result.ok())
            QFile::remove(result.filePath);
        finishCancelled();
        return;
    }
    switch (result.status) {
    case JobOutcome::Status::Done:
        fileDownloaded(result.filePath);
        return;
    case JobOutcome::Status::Stopped:
        m_keptPartialPath = kept;
        finish(JobOutcome::stopped(m_saved));
        return;
    case JobOutcome::Status::Cancelled:
        finishCancelled();
        return;
    case JobOutcome::Status::Failed:
        m_failedFile = int(m_next) + 1;
        finish(JobOutcome::failed(
            result.failure.value_or(FailureReason(FailureReason::Kind::NetworkError, QString())),
            m_saved));
        return;
    }
}

void ItemDownloadJob::fileDownloaded(const QString &path)
{
    if (!goesToAlbum(current())) {
        keep(savedFile(path, current().role, current().key));
        next();
        return;
    }
    if (m_albumStep == AlbumStep::CopyVideos)
        keep(savedFile(path, current().role, current().key));
    copyToAlbum(path);
}

bool ItemDownloadJob::goesToAlbum(const PlannedFile &file) const
{
    switch (m_albumStep) {
    case AlbumStep::None:
        return false;
    case AlbumStep::CopyVideos:
        return file.kind == MediaKind::Video;
    case AlbumStep::SaveToAlbums:
        return true;
    }
    return false;
}

void ItemDownloadJob::copyToAlbum(const QString &path)
{
    auto *album = new VideoAlbum(this);
    m_album = album;
    connect(album, &VideoAlbum::saved, this, &ItemDownloadJob::albumSaved);
    connect(album, &VideoAlbum::saveFailed, this, &ItemDownloadJob::albumFailed);
    Q_EMIT copyingToAlbum();
    album->save(path, current().kind);
}

// With SaveToAlbums the staged download goes once the album holds its copy.
void ItemDownloadJob::albumSaved(const QString &source, const QString &copy)
{
    m_album->deleteLater();
    const bool moved = m_albumStep == AlbumStep::SaveToAlbums;
    if (moved)
        QFile::remove(source);
    keep(moved ? savedFile(copy, current().role, current().key)
               : savedFile(copy, u"album"_s, u"album"_s));
    if (m_cancelling)
        finishCancelled();
    else
        next();
}

void ItemDownloadJob::albumFailed(const QString &source, const QString &error)
{
    m_album->deleteLater();
    if (m_albumStep == AlbumStep::SaveToAlbums)
        QFile::remove(source);
    if (m_cancelling) {
        finishCancelled();
        return;
    }
    m_failedFile = int(m_next) + 1;
    finish(JobOutcome::failed(FailureReason(FailureReason::Kind::AlbumCopyFailed, error), m_saved));
}

void ItemDownloadJob::keep(const SavedFile &file)
{
    m_saved.append(file);
    Q_EMIT fileSaved(file);
}

void ItemDownloadJob::next()
{
    ++m_next;
    downloadNext();
}

// A cancelled job leaves nothing it saved behind.
void ItemDownloadJob::finishCancelled()
{
    for (const SavedFile &file : std::as_const(m_saved))
        QFile::remove(file.path);
    m_saved.clear();
    finish(JobOutcome::cancelled());
}
