#include "DownloadItem.h"

#include "Console.h"
#include "DownloadArchive.h"
#include "ParseItem.h"
#include "ProgressDisplay.h"
#include "VideoAlbum.h"
#include "VideoInfo.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QHash>
#include <QJsonObject>

#include <algorithm>
#include <utility>

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
    if (!m_settings.archive || videoId.isEmpty()) {
        startPlan({});
        return;
    }
    // Looked up now, not when the run started: another process may have saved it meanwhile.
    m_settings.archive->lookUp(videoId).then(
        this, [this](const DownloadArchive::Record &archived) { startPlan(archived); });
}

void DownloadItem::startPlan(const DownloadArchive::Record &archived)
{
    const QString videoId = m_resolution.videoId.value_or(QString());
    if (isStopping()) {
        complete();
        return;
    }
    if (archived.whole) {
        m_context.display->note(u"%1: download: %2 is in the download archive, skipped\n"_s.arg(
            QCoreApplication::applicationName(), Console::escaped(videoId)));
        if (m_context.json)
            m_context.display->out(Console::jsonLine(
                { { u"id"_s, videoId }, { u"status"_s, u"skipped"_s }, { u"input"_s, m_input } }));
        finish(Outcome::Skipped);
        return;
    }
    if (!plan(m_resolution)) {
        fail(u"the item has no video and no pictures (%1)"_s.arg(
            m_resolution.record->type().value_or(QString())));
        complete();
        return;
    }
    m_recordsFiles = m_settings.archive && !videoId.isEmpty() && m_plan.size() > 1;
    leaveOut(archived.files);
    downloadNext();
}

// Drops the files a partial earlier run saved.
void DownloadItem::leaveOut(const QSet<QString> &archivedFiles)
{
    const auto before = m_plan.size();
    m_plan.erase(std::remove_if(m_plan.begin(), m_plan.end(),
                                [&archivedFiles](const PlannedFile &file) {
                                    return archivedFiles.contains(archiveKey(file));
                                }),
                 m_plan.end());
    if (const auto left = before - m_plan.size(); left > 0)
        m_context.display->note(
            u"%1: download: %2: %3 of its files are in the download archive, skipped\n"_s.arg(
                QCoreApplication::applicationName(),
                Console::escaped(m_resolution.videoId.value_or(QString())), QString::number(left)));
}

QString DownloadItem::archiveKey(const PlannedFile &file)
{
    return file.index.isEmpty() ? u"video"_s : file.index;
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
                    u"%1: download: %2: %3; trying again in %4 s (retry %5 of %6)\n"_s.arg(
                        QCoreApplication::applicationName(), Console::escaped(shown),
                        Console::escaped(reason), QString::number(double(delay.count()) / 1000.0),
                        QString::number(attempt), QString::number(m_settings.retries)));
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
    if (!m_recordsFiles) {
        fileSaved(file, result.filePath);
        return;
    }
    m_settings.archive->add(m_resolution.videoId.value_or(QString()), archiveKey(file))
        .then(this, [this, file, path = result.filePath](const QString &error) {
            if (!error.isEmpty()) {
                failBookkeeping(error);
                complete();
                return;
            }
            fileSaved(file, path);
        });
}

void DownloadItem::fileSaved(const PlannedFile &file, const QString &path)
{
    if (m_settings.album && file.kind == MediaKind::Video)
        copyToAlbum(path);
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

// A failed write of what the next run relies on fails the item, saved files or not.
void DownloadItem::failBookkeeping(const QString &reason)
{
    m_bookkeepingFailed = true;
    fail(reason);
}

void DownloadItem::complete()
{
    if (std::exchange(m_completing, true))
        return;
    const QString videoId = m_resolution.videoId.value_or(QString());
    if (outcome() != Outcome::Done || !m_settings.archive || videoId.isEmpty()) {
        report();
        return;
    }
    m_settings.archive->add(videoId).then(this, [this](const QString &error) {
        if (!error.isEmpty())
            failBookkeeping(error);
        report();
    });
}

BatchItem::Outcome DownloadItem::outcome() const
{
    if (m_error.isEmpty() && !isStopping())
        return Outcome::Done;
    if (!m_files.isEmpty() && !m_bookkeepingFailed)
        return Outcome::Partial;
    return isStopping() && m_error.isEmpty() ? Outcome::Stopped : Outcome::Failed;
}

void DownloadItem::report()
{
    const Outcome outcome = this->outcome();
    if (m_context.json) {
        static const QHash<Outcome, QString> statusNames {
            { Outcome::Done, u"saved"_s },
            { Outcome::Partial, u"partial"_s },
            { Outcome::Stopped, u"stopped"_s },
            { Outcome::Failed, u"failed"_s },
        };
        QJsonObject object = m_resolution.record ? m_resolution.record->toJson() : QJsonObject();
        if (const QString videoId = m_resolution.videoId.value_or(QString()); !videoId.isEmpty())
            object.insert(u"id"_s, videoId);
        object.insert(u"input"_s, m_input);
        object.insert(u"status"_s, statusNames.value(outcome));
        object.insert(u"files"_s, m_files);
        if (!m_error.isEmpty())
            object.insert(u"error"_s, m_error);
        m_context.display->out(Console::jsonLine(object));
    }
    finish(outcome);
}
