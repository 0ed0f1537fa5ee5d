#include "DownloadItem.h"

#include "Console.h"
#include "DownloadArchive.h"
#include "ParseItem.h"
#include "ProgressDisplay.h"
#include "VideoInfo.h"

#include <QCoreApplication>
#include <QHash>
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
        m_status = JobOutcome::Status::Failed;
        complete();
        return;
    }
    const QString videoId = result.videoId.value_or(QString());
    if (!m_settings.archive || videoId.isEmpty()) {
        startJob({});
        return;
    }
    // Looked up now, not when the run started: another process may have saved it meanwhile.
    m_settings.archive->lookUp(videoId).then(
        this, [this](const DownloadArchive::Record &archived) { startJob(archived); });
}

void DownloadItem::startJob(const DownloadArchive::Record &archived)
{
    const QString videoId = m_resolution.videoId.value_or(QString());
    if (isStopping()) {
        m_status = JobOutcome::Status::Stopped;
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
    if (!archived.files.isEmpty())
        m_context.display->note(
            u"%1: download: %2: %3 of its files are in the download archive, skipped\n"_s.arg(
                QCoreApplication::applicationName(), Console::escaped(videoId),
                QString::number(archived.files.size())));
    auto *job = new ItemDownloadJob(this);
    m_job = job;
    job->setItem({ m_resolution.record, m_resolution.playAddress.value_or(QString()), videoId });
    job->setDirectory(m_settings.directory);
    job->setNameTemplate(m_settings.nameTemplate);
    job->setAlbumStep(m_settings.album ? ItemDownloadJob::AlbumStep::CopyVideos
                                       : ItemDownloadJob::AlbumStep::None);
    job->setCover(m_settings.cover);
    job->setLeftOut(archived.files);
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
    connect(job, &ItemDownloadJob::fileSaved, this, &DownloadItem::fileSaved);
    connect(job, &Job::finished, this, [this, job](const JobOutcome &outcome) {
        job->deleteLater();
        jobFinished(*job, outcome);
    });
    // An item of several files is recorded file by file, so that a rerun fetches only the rest.
    m_recordsFiles = m_settings.archive && !videoId.isEmpty()
        && (m_settings.cover
            || (m_resolution.record && m_resolution.record->kind() == VideoInfo::Kind::Gallery));
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
    m_context.display->note(u"%1: download: %2: %3; trying again in %4 s (retry %5 of %6)\n"_s.arg(
        QCoreApplication::applicationName(), Console::escaped(m_shownName),
        Console::escaped(reason), QString::number(double(delay.count()) / 1000.0),
        QString::number(attempt), QString::number(m_settings.retries)));
}

void DownloadItem::endTransfer()
{
    if (m_progressKey)
        m_context.display->endTransfer(m_progressKey);
    m_progressKey = 0;
}

// Each path as soon as its file is in place: a long gallery shows its progress.
void DownloadItem::fileSaved(const SavedFile &file)
{
    if (!m_context.json)
        m_context.display->out(Console::escaped(file.path) + u'\n');
    if (!m_recordsFiles || file.role == u"album"_s)
        return;
    ++m_pendingWrites;
    m_settings.archive->add(m_resolution.videoId.value_or(QString()), file.key)
        .then(this, [this](const QString &error) {
            --m_pendingWrites;
            if (!error.isEmpty()) {
                failBookkeeping(error);
                if (m_job)
                    m_job->stop(); // the rest could not be recorded either
            }
            reportWhenWritten();
        });
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
    m_status = outcome.status();
    complete();
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

// A failed write of what the next run relies on fails the item, saved files or not.
void DownloadItem::failBookkeeping(const QString &reason)
{
    m_bookkeepingFailed = true;
    fail(reason);
}

// Records an item saved whole, then reports once every archive line is written.
void DownloadItem::complete()
{
    const QString videoId = m_resolution.videoId.value_or(QString());
    if (outcome() == Outcome::Done && m_settings.archive && !videoId.isEmpty()) {
        ++m_pendingWrites;
        m_settings.archive->add(videoId).then(this, [this](const QString &error) {
            --m_pendingWrites;
            if (!error.isEmpty())
                failBookkeeping(error);
            reportWhenWritten();
        });
        return;
    }
    reportWhenWritten();
}

void DownloadItem::reportWhenWritten()
{
    if (m_status && m_pendingWrites == 0 && !m_reported) {
        m_reported = true;
        report();
    }
}

BatchItem::Outcome DownloadItem::outcome() const
{
    const bool done = m_status == JobOutcome::Status::Done;
    if (done && !m_bookkeepingFailed)
        return Outcome::Done;
    if (!m_files.isEmpty() && !m_bookkeepingFailed)
        return Outcome::Partial;
    const bool stopped
        = m_status == JobOutcome::Status::Stopped || m_status == JobOutcome::Status::Cancelled;
    return stopped && m_error.isEmpty() ? Outcome::Stopped : Outcome::Failed;
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
        if (m_resolution.failure)
            object.insert(u"reason"_s, m_resolution.failure->code());
        m_context.display->out(Console::jsonLine(object));
    }
    finish(outcome);
}
