#include "DownloadItem.h"

#include "Console.h"
#include "DownloadArchive.h"
#include "ParseItem.h"
#include "ProgressDisplay.h"
#include "VideoInfo.h"

#include <QCoreApplication>
#include <QJsonObject>

using namespace Qt::StringLiterals;

DownloadItem::DownloadItem(const QString &input, const RunContext &context,
                           const DownloadSettings &settings, QObject *parent)
    : ResolvingItem(u"download"_s, input, context, parent), m_settings(settings)
{ }

DownloadItem::~DownloadItem()
{
    endTransfer();
}

void DownloadItem::useResolution(const ResolveJob::Result &result)
{
    m_resolution = result;
    if (const std::optional<QString> failure = ParseItem::failureOf(result)) {
        fail(u"the parse failed: "_s + *failure);
        complete(JobOutcome::Status::Failed);
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
    startJob();
}

void DownloadItem::startJob()
{
    auto *job = new ItemDownloadJob(this);
    m_job = job;
    job->setItem({ m_resolution.record, m_resolution.playAddress.value_or(QString()),
                   m_resolution.videoId.value_or(QString()) });
    job->setDirectory(m_settings.directory);
    job->setNameTemplate(m_settings.nameTemplate);
    job->setAlbumStep(m_settings.album ? ItemDownloadJob::AlbumStep::CopyVideos
                                       : ItemDownloadJob::AlbumStep::None);
    job->setCover(m_settings.cover);
    job->setInactivityTimeout(m_context.timeout);
    job->setRetries(m_settings.retries);
    job->setContinuePartial(m_settings.continuePartial);
    job->setUserAgent(m_settings.userAgent);
    connect(job, &ItemDownloadJob::fileStarted, this,
            [this](int, int, const QString &name, const QUrl &url) { fileStarted(name, url); });
    connect(job, &Job::progress, this, [this](qint64 received, qint64 total) {
        m_context.display->updateTransfer(m_progressKey, received, total);
    });
    connect(job, &ItemDownloadJob::retrying, this, &DownloadItem::noteRetry);
    // Each path as soon as its file is in place: a long gallery shows its progress.
    connect(job, &ItemDownloadJob::fileSaved, this, [this](const SavedFile &file) {
        if (!m_context.json)
            m_context.display->out(Console::escaped(file.path) + u'\n');
    });
    connect(job, &Job::finished, this, [this, job](const JobOutcome &outcome) {
        job->deleteLater();
        jobFinished(*job, outcome);
    });
    job->start();
}

void DownloadItem::fileStarted(const QString &name, const QUrl &url)
{
    endTransfer();
    m_shownName = name.isEmpty() ? url.fileName() : name;
    m_progressKey = m_context.display->beginTransfer(m_shownName);
}

void DownloadItem::noteRetry(int attempt, const QString &reason,
                             std::chrono::milliseconds delay) const
{
    m_context.display->note(u"%1: download: %2: %3; trying again in %4 s (retry %5 of %6)\n"_s
                                .arg(QCoreApplication::applicationName(),
                                     Console::escaped(m_shownName), Console::escaped(reason))
                                .arg(double(delay.count()) / 1000.0)
                                .arg(attempt)
                                .arg(m_settings.retries));
}

void DownloadItem::endTransfer()
{
    if (m_progressKey)
        m_context.display->endTransfer(m_progressKey);
    m_progressKey = 0;
}

void DownloadItem::jobFinished(const ItemDownloadJob &job, const JobOutcome &outcome)
{
    endTransfer();
    for (const SavedFile &file : outcome.files()) {
        m_files.append(QJsonObject {
            { u"path"_s, file.path }, { u"size"_s, file.size }, { u"kind"_s, file.role } });
    }
    if (outcome.status() == JobOutcome::Status::Stopped && !job.keptPartialPath().isEmpty())
        m_context.display->note(u"%1: download: stopped; %2 is kept for resuming\n"_s.arg(
            QCoreApplication::applicationName(), Console::escaped(job.keptPartialPath())));
    if (outcome.status() == JobOutcome::Status::Failed && outcome.reason())
        fail(outcome.reason()->description());
    complete(outcome.status());
}

void DownloadItem::stopWork()
{
    if (m_job)
        m_job->stop();
}

void DownloadItem::fail(const QString &reason)
{
    if (m_error.isEmpty())
        m_error = reason;
    reportError(reason);
}

void DownloadItem::complete(const JobOutcome::Status status)
{
    const bool saved = status == JobOutcome::Status::Done;
    const bool stopped
        = status == JobOutcome::Status::Stopped || status == JobOutcome::Status::Cancelled;
    const QString videoId = m_resolution.videoId.value_or(QString());
    QString archiveError;
    if (saved && m_settings.archive && !m_settings.archive->add(videoId, &archiveError))
        reportError(archiveError);
    if (m_context.json) {
        QJsonObject object = m_resolution.record ? m_resolution.record->toJson() : QJsonObject();
        if (!videoId.isEmpty())
            object.insert(u"id"_s, videoId);
        object.insert(u"input"_s, m_input);
        object.insert(u"status"_s, saved ? u"saved"_s : stopped ? u"stopped"_s : u"failed"_s);
        object.insert(u"files"_s, m_files);
        if (!m_error.isEmpty())
            object.insert(u"error"_s, m_error);
        if (m_resolution.failure)
            object.insert(u"reason"_s, m_resolution.failure->code());
        m_context.display->out(Console::jsonLine(object));
    }
    finish(saved ? Outcome::Done : stopped ? Outcome::Stopped : Outcome::Failed);
}
