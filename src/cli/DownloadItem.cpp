#include "DownloadItem.h"

#include "Console.h"
#include "DownloadArchive.h"
#include "ParseItem.h"
#include "ProgressDisplay.h"
#include "VideoAlbum.h"
#include "VideoInfo.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QJsonObject>

using namespace Qt::StringLiterals;

DownloadItem::DownloadItem(const QString &input, const RunContext &context,
                           const DownloadSettings &settings, QObject *parent)
    : ResolvingItem(u"download"_s, input, context, parent), m_settings(settings)
{ }

DownloadItem::~DownloadItem()
{
    if (m_progressKey)
        m_context.display->endTransfer(m_progressKey);
}

void DownloadItem::useResolution(const ShareTextResolver::Result &result)
{
    m_resolution = result;
    if (const std::optional<QString> failure = ParseItem::failureOf(result)) {
        fail(u"the parse failed: "_s + *failure);
        complete();
        return;
    }
    const QString videoId = result.videoId.value_or(QString());
    if (m_settings.archive && !videoId.isEmpty() && m_settings.archive->contains(videoId)) {
        m_context.display->note(u"%1: download: %2 is in the download archive, skipped\n"_s.arg(
            QCoreApplication::applicationName(), Console::escaped(videoId)));
        if (m_context.json)
            m_context.display->out(Console::jsonLine(
                { { u"id"_s, videoId }, { u"status"_s, u"skipped"_s }, { u"input"_s, m_input } }));
        finish(Outcome::Skipped);
        return;
    }
    if (!plan(result)) {
        fail(u"the item has no video and no pictures (%1)"_s.arg(
            result.record->type().value_or(QString())));
        complete();
        return;
    }
    downloadNext();
}

// The files of the item in the order they are saved: the video, or the gallery's pictures; then
// the cover when asked for.
bool DownloadItem::plan(const ShareTextResolver::Result &result)
{
    if (result.isDirectPlayAddress()) {
        m_plan.push_back({ QUrl(*result.playAddress), MediaKind::Video, QString() });
        return true;
    }
    const VideoInfo &record = *result.record;
    const QStringList images = record.images().value_or(QStringList());
    for (qsizetype i = 0; i < images.size(); ++i)
        m_plan.push_back({ QUrl(images.at(i)), MediaKind::Image, QString::number(i + 1) });
    const QString video = record.video().value_or(QString());
    if (images.isEmpty() && !video.isEmpty())
        m_plan.push_back({ QUrl(video), MediaKind::Video, QString() });
    const QString cover = record.cover().value_or(QString());
    if (m_settings.cover && !cover.isEmpty() && !m_plan.empty())
        m_plan.push_back({ QUrl(cover), MediaKind::Image, u"cover"_s });
    return !m_plan.empty();
}

// Empty for a play address without --output: the response names the file then.
QString DownloadItem::fileName(const PlannedFile &file) const
{
    if (m_resolution.isDirectPlayAddress() && !m_settings.customTemplate)
        return {};
    FileNameTemplate::Fields fields;
    fields.id = m_resolution.videoId.value_or(QString());
    if (m_resolution.record) {
        fields.name = m_resolution.record->name().value_or(QString());
        fields.title = m_resolution.record->title().value_or(QString());
        fields.type = m_resolution.record->type().value_or(QString());
    }
    fields.index = file.index;
    fields.ext = file.kind == MediaKind::Image ? u"jpg"_s : u"mp4"_s;
    return m_settings.nameTemplate.render(fields);
}

void DownloadItem::downloadNext()
{
    if (m_plan.empty() || isStopping()) {
        complete();
        return;
    }
    const PlannedFile file = m_plan.front();
    m_plan.pop_front();
    if (!file.url.isValid() || file.url.scheme().isEmpty()) {
        fail(u"the address is not a valid address: %1"_s.arg(file.url.toString()));
        downloadNext();
        return;
    }
    auto *downloader = new VideoDownloader(this);
    m_downloader = downloader;
    downloader->setDirectory(m_settings.directory);
    downloader->setFileName(fileName(file));
    downloader->setExpectedKind(file.kind);
    downloader->setInactivityTimeout(m_context.timeout);
    downloader->setRetries(m_settings.retries);
    downloader->setContinuePartial(m_settings.continuePartial);
    downloader->setUserAgent(m_settings.userAgent);
    const QString shown
        = downloader->fileName().isEmpty() ? file.url.fileName() : downloader->fileName();
    m_progressKey = m_context.display->beginTransfer(shown);
    connect(downloader, &VideoDownloader::progress, this, [this](qint64 received, qint64 total) {
        m_context.display->updateTransfer(m_progressKey, received, total);
    });
    connect(downloader, &VideoDownloader::retrying, this,
            [this, shown](int attempt, const QString &reason, std::chrono::milliseconds delay) {
                m_context.display->note(
                    u"%1: download: %2: %3; trying again in %4 s (retry %5 of %6)\n"_s
                        .arg(QCoreApplication::applicationName(), Console::escaped(shown),
                             Console::escaped(reason))
                        .arg(double(delay.count()) / 1000.0)
                        .arg(attempt)
                        .arg(m_settings.retries));
            });
    connect(downloader, &VideoDownloader::finished, this,
            [this, file](const VideoDownloader::Result &result) { fileFinished(file, result); });
    downloader->start(file.url);
}

void DownloadItem::fileFinished(const PlannedFile &file, const VideoDownloader::Result &result)
{
    m_context.display->endTransfer(m_progressKey);
    m_progressKey = 0;
    const QString kept = m_downloader ? m_downloader->keptPartialPath() : QString();
    if (m_downloader)
        m_downloader->deleteLater();
    if (!result.ok) {
        if (isStopping()) {
            if (!kept.isEmpty())
                m_context.display->note(u"%1: download: stopped; %2 is kept for resuming\n"_s.arg(
                    QCoreApplication::applicationName(), Console::escaped(kept)));
            complete();
            return;
        }
        fail(result.errorString);
        downloadNext();
        return;
    }
    m_files.append(QJsonObject { { u"path"_s, result.filePath },
                                 { u"size"_s, QFileInfo(result.filePath).size() },
                                 { u"kind"_s, mediaKindName(file.kind) } });
    if (!m_context.json)
        m_context.display->out(Console::escaped(result.filePath) + u'\n');
    if (m_settings.album && file.kind == MediaKind::Video)
        copyToAlbum(result.filePath);
    else
        downloadNext();
}

void DownloadItem::copyToAlbum(const QString &path)
{
    auto *album = new VideoAlbum(this);
    connect(album, &VideoAlbum::saved, this, [this, album](const QString &, const QString &copy) {
        album->deleteLater();
        if (!m_context.json)
            m_context.display->out(Console::escaped(copy) + u'\n');
        m_files.append(QJsonObject { { u"path"_s, copy },
                                     { u"size"_s, QFileInfo(copy).size() },
                                     { u"kind"_s, u"album"_s } });
        downloadNext();
    });
    connect(album, &VideoAlbum::saveFailed, this,
            [this, album](const QString &, const QString &error) {
                album->deleteLater();
                fail(u"the album copy failed: "_s + error);
                downloadNext();
            });
    album->save(path);
}

void DownloadItem::stopWork()
{
    if (m_downloader)
        m_downloader->stop();
}

void DownloadItem::fail(const QString &reason)
{
    if (m_error.isEmpty())
        m_error = reason;
    reportError(reason);
}

void DownloadItem::complete()
{
    const bool saved = m_error.isEmpty() && !isStopping();
    const QString videoId = m_resolution.videoId.value_or(QString());
    QString archiveError;
    if (saved && m_settings.archive && !m_settings.archive->add(videoId, &archiveError))
        reportError(archiveError);
    if (m_context.json) {
        QJsonObject object = m_resolution.record ? m_resolution.record->toJson() : QJsonObject();
        if (!videoId.isEmpty())
            object.insert(u"id"_s, videoId);
        object.insert(u"input"_s, m_input);
        object.insert(u"status"_s, saved ? u"saved"_s : isStopping() ? u"stopped"_s : u"failed"_s);
        object.insert(u"files"_s, m_files);
        if (!m_error.isEmpty())
            object.insert(u"error"_s, m_error);
        if (m_resolution.failure)
            object.insert(u"reason"_s, m_resolution.failure->code());
        m_context.display->out(Console::jsonLine(object));
    }
    finish(saved ? Outcome::Done : isStopping() ? Outcome::Stopped : Outcome::Failed);
}
