#include "DownloadQueue.h"

#include "BusyIndicator.h"
#include "InterfaceLanguage.h"
#include "ItemDownloadJob.h"

#include <QFileInfo>

#include <algorithm>

using namespace Qt::StringLiterals;

struct DownloadQueue::Row
{
    QString input;
    State state = State::Waiting;
    std::optional<ResolveJob::Result> resolution;
    bool resolveAgain = false;
    bool downloadAgain = false; // the user asked for an item saved before
    QPointer<ResolveJob> resolve;
    QPointer<ItemDownloadJob> download;
    qint64 received = 0;
    qint64 total = -1;
    qint64 speed = 0;
    QString step;
    QElapsedTimer clock; // since the download's first progress of this run
    qint64 firstReceived = 0; // bytes already there at that moment (a resumed .part)
    std::optional<FailureReason> reason;
    QStringList files;
    QDateTime savedBefore;
};

DownloadQueue::DownloadQueue(QObject *parent) : QAbstractListModel(parent) { }

DownloadQueue::~DownloadQueue()
{
    // Running jobs end with their parent, this queue, without signals.
    for (const std::unique_ptr<Row> &row : m_rows) {
        if (row->resolve)
            row->resolve->disconnect(this);
        if (row->download)
            row->download->disconnect(this);
    }
}

void DownloadQueue::setParallel(int parallel)
{
    m_parallel = std::max(1, parallel);
    schedule();
}

int DownloadQueue::add(const QStringList &inputs)
{
    const int first = int(m_rows.size());
    if (inputs.isEmpty())
        return first;
    beginInsertRows(QModelIndex(), first, first + int(inputs.size()) - 1);
    for (const QString &input : inputs) {
        auto row = std::make_unique<Row>();
        row->input = input;
        m_rows.push_back(std::move(row));
    }
    endInsertRows();
    schedule();
    return first;
}

int DownloadQueue::addResolved(const ResolveJob::Result &resolution)
{
    const int first = int(m_rows.size());
    beginInsertRows(QModelIndex(), first, first);
    auto row = std::make_unique<Row>();
    row->input = resolution.text;
    row->resolution = resolution;
    row->downloadAgain = true; // asked for from the screen, which already said it was saved
    m_rows.push_back(std::move(row));
    endInsertRows();
    schedule();
    return first;
}

void DownloadQueue::pause(int index)
{
    if (index < 0 || index >= rowCount())
        return;
    Row &row = *m_rows.at(size_t(index));
    switch (row.state) {
    case State::Waiting:
        setState(row, State::Stopped);
        break;
    case State::Resolving:
        row.resolve->cancel();
        break;
    case State::Downloading:
        row.download->stop();
        break;
    default:
        break;
    }
}

void DownloadQueue::resume(int index)
{
    if (index < 0 || index >= rowCount())
        return;
    Row &row = *m_rows.at(size_t(index));
    if (row.state != State::Stopped && row.state != State::Cancelled
        && row.state != State::SavedBefore)
        return;
    row.downloadAgain = row.downloadAgain || row.state == State::SavedBefore;
    setState(row, State::Waiting);
    schedule();
}

void DownloadQueue::retry(int index)
{
    if (index < 0 || index >= rowCount())
        return;
    Row &row = *m_rows.at(size_t(index));
    if (row.state != State::Failed && row.state != State::Cancelled && row.state != State::Stopped)
        return;
    row.resolveAgain = true;
    row.reason.reset();
    setState(row, State::Waiting);
    schedule();
}

void DownloadQueue::remove(int index)
{
    if (index < 0 || index >= rowCount())
        return;
    Row &row = *m_rows.at(size_t(index));
    // A cancelled job still removes what it wrote; it goes once that is done.
    for (Job *job :
         { static_cast<Job *>(row.resolve.data()), static_cast<Job *>(row.download.data()) }) {
        if (!job)
            continue;
        job->disconnect(this);
        if (job->isRunning()) {
            connect(job, &Job::finished, job, &QObject::deleteLater);
            job->cancel();
        } else {
            job->deleteLater();
        }
    }
    beginRemoveRows(QModelIndex(), index, index);
    m_rows.erase(m_rows.begin() + index);
    endRemoveRows();
    schedule();
}

DownloadQueue::State DownloadQueue::state(int row) const
{
    return m_rows.at(size_t(row))->state;
}

std::optional<ResolveJob::Result> DownloadQueue::resolution(int row) const
{
    return m_rows.at(size_t(row))->resolution;
}

int DownloadQueue::activeCount() const
{
    return int(std::count_if(m_rows.begin(), m_rows.end(),
                             [this](const std::unique_ptr<Row> &row) { return isActive(*row); }));
}

bool DownloadQueue::isActive(const Row &row) const
{
    return row.state == State::Waiting || row.state == State::Resolving
        || row.state == State::Downloading;
}

void DownloadQueue::schedule()
{
    int running = int(std::count_if(m_rows.begin(), m_rows.end(), [](const auto &row) {
        return row->state == State::Resolving || row->state == State::Downloading;
    }));
    for (const std::unique_ptr<Row> &row : m_rows) {
        if (running >= m_parallel)
            return;
        if (row->state == State::Waiting) {
            startRow(*row);
            ++running;
        }
    }
}

void DownloadQueue::startRow(Row &row)
{
    if (row.resolution && !row.resolveAgain)
        downloadRow(row);
    else
        resolveRow(row);
}

void DownloadQueue::resolveRow(Row &row)
{
    row.resolveAgain = false;
    if (!row.resolve) {
        row.resolve = new ResolveJob(m_options.endpoints, this);
        connect(row.resolve, &Job::finished, this, [this, &row] { rowResolved(row); });
    }
    row.resolve->setEndpoints(m_options.endpoints);
    row.resolve->setText(row.input);
    setState(row, State::Resolving);
    row.resolve->start();
}

void DownloadQueue::rowResolved(Row &row)
{
    const JobOutcome &outcome = row.resolve->outcome();
    const ResolveJob::Result &result = row.resolve->result();
    if (outcome.status() == JobOutcome::Status::Cancelled) {
        setState(row, State::Stopped);
    } else if (!result.failure && (result.isDirectPlayAddress() || result.record->isSuccess())) {
        row.resolution = result;
        const QString videoId = result.videoId.value_or(QString());
        if (!m_savedBefore || videoId.isEmpty() || row.downloadAgain)
            return downloadRow(row);
        Row *asked = &row;
        m_savedBefore(videoId, [this, asked](const std::optional<QDateTime> &saved) {
            if (holds(asked)) // the row may have been removed meanwhile
                savedBeforeKnown(*asked, saved);
        });
        return;
    } else {
        row.reason = result.failure ? result.failure : outcome.reason();
        setState(row, State::Failed);
    }
    ended(row, outcome);
}

void DownloadQueue::savedBeforeKnown(Row &row, const std::optional<QDateTime> &saved)
{
    if (row.state != State::Resolving)
        return;
    row.savedBefore = saved.value_or(QDateTime());
    if (!saved)
        return downloadRow(row);
    setState(row, State::SavedBefore); // the user decides; the others go on
    ended(row, row.resolve->outcome());
}

bool DownloadQueue::holds(const Row *row) const
{
    return std::any_of(m_rows.begin(), m_rows.end(),
                       [row](const std::unique_ptr<Row> &held) { return held.get() == row; });
}

void DownloadQueue::downloadRow(Row &row)
{
    if (!row.download) {
        row.download = new ItemDownloadJob(this);
        connect(row.download, &Job::progress, this,
                [this, &row](qint64 received, qint64 total, const QString &step) {
                    if (!row.clock.isValid()) {
                        row.clock.start();
                        row.firstReceived = received;
                    }
                    if (received < row.received) // the next file of the item
                        row.firstReceived = 0, row.clock.restart();
                    const qint64 elapsed = row.clock.elapsed();
                    row.speed = elapsed > 500 ? (received - row.firstReceived) * 1000 / elapsed : 0;
                    row.received = received;
                    row.total = total;
                    row.step = step;
                    changed(row);
                });
        connect(row.download, &Job::finished, this,
                [this, &row](const JobOutcome &outcome) { rowDownloaded(row, outcome); });
    }
    const ResolveJob::Result &resolution = *row.resolution;
    row.download->setItem({ resolution.record, resolution.playAddress.value_or(QString()),
                            resolution.videoId.value_or(QString()) });
    row.download->setDirectory(m_options.stagingFolder);
    row.download->setNameTemplate(m_options.nameTemplate);
    row.download->setAlbumStep(ItemDownloadJob::AlbumStep::SaveToAlbums);
    row.download->setRetries(m_options.retries);
    row.download->setContinuePartial(true);
    row.received = 0;
    row.total = -1;
    row.speed = 0;
    row.clock.invalidate();
    setState(row, State::Downloading);
    row.download->start();
}

void DownloadQueue::rowDownloaded(Row &row, const JobOutcome &outcome)
{
    for (const SavedFile &file : outcome.files())
        if (!row.files.contains(file.path))
            row.files.append(file.path);
    switch (outcome.status()) {
    case JobOutcome::Status::Done:
        setState(row, State::Saved);
        break;
    case JobOutcome::Status::Failed:
        row.reason = outcome.reason();
        setState(row, State::Failed);
        break;
    case JobOutcome::Status::Stopped:
        setState(row, State::Stopped);
        break;
    case JobOutcome::Status::Cancelled:
        row.files.clear();
        setState(row, State::Cancelled);
        break;
    }
    ended(row, outcome);
}

// A row ended, resolved or downloaded: the next one may start.
void DownloadQueue::ended(Row &row, const JobOutcome &outcome)
{
    Q_EMIT rowFinished(rowOf(row), outcome);
    schedule();
    if (activeCount() == 0)
        Q_EMIT drained();
}

void DownloadQueue::setState(Row &row, State state)
{
    row.state = state;
    changed(row);
}

void DownloadQueue::changed(const Row &row)
{
    const QModelIndex at = index(rowOf(row));
    Q_EMIT dataChanged(at, at);
}

int DownloadQueue::rowOf(const Row &row) const
{
    const auto found
        = std::find_if(m_rows.begin(), m_rows.end(),
                       [&row](const std::unique_ptr<Row> &r) { return r.get() == &row; });
    return int(found - m_rows.begin());
}

int DownloadQueue::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

QVariant DownloadQueue::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    return value(*m_rows.at(size_t(index.row())), role);
}

QVariant DownloadQueue::value(const Row &row, int role) const
{
    const std::optional<VideoInfo> record = row.resolution ? row.resolution->record : std::nullopt;
    switch (role) {
    case Qt::DisplayRole:
    case TitleRole: {
        const QString title = record ? record->title().value_or(QString()) : QString();
        return title.isEmpty() ? row.input : title;
    }
    case InputRole:
        return row.input;
    case Qt::AccessibleTextRole: // the title, then where the row stands
        return QString(value(row, TitleRole).toString() + u". "_s + statusText(row));
    case Qt::ToolTipRole:
    case Qt::AccessibleDescriptionRole:
        return statusText(row);
    case StateRole:
        return QVariant::fromValue(row.state);
    case ReceivedRole:
        return row.received;
    case TotalRole:
        return row.total;
    case SpeedRole:
        return row.speed;
    case RemainingRole:
        return row.total > 0 && row.speed > 0 ? (row.total - row.received) / row.speed : qint64(-1);
    case StepRole:
        return row.step;
    case ReasonRole:
        return row.reason ? row.reason->description() : QString();
    case VideoIdRole:
        return row.resolution ? row.resolution->videoId.value_or(QString()) : QString();
    case FilesRole:
        return row.files;
    case FolderRole:
        return row.files.isEmpty() ? QString() : QFileInfo(row.files.first()).absolutePath();
    case AddressRole: {
        if (!row.resolution)
            return QString();
        const QStringList images
            = record ? record->images().value_or(QStringList()) : QStringList();
        return images.isEmpty() ? row.resolution->playAddress.value_or(QString())
                                : images.join(u'\n');
    }
    case SavedBeforeRole:
        return row.savedBefore;
    default:
        return {};
    }
}

QString DownloadQueue::statusText(int row) const
{
    return statusText(*m_rows.at(size_t(row)));
}

QString DownloadQueue::statusText(const Row &row) const
{
    const QLocale locale(InterfaceLanguage::current());
    switch (row.state) {
    case State::Waiting:
        return tr("Waiting");
    case State::Resolving:
        return tr("Resolving the link");
    case State::SavedBefore:
        return tr("Saved before, on %1. Resume downloads it again.")
            .arg(locale.toString(row.savedBefore, QLocale::ShortFormat));
    case State::Downloading: {
        QString text = BusyIndicator::progressText(row.received, row.total);
        if (row.speed > 0)
            text = tr("%1, %2 a second")
                       .arg(text,
                            locale.formattedDataSize(row.speed, 1,
                                                     QLocale::DataSizeTraditionalFormat));
        const qint64 left = value(row, RemainingRole).toLongLong();
        if (left >= 0)
            text = tr("%1, %2 s left").arg(text, locale.toString(left));
        return row.step.isEmpty() ? text : tr("%1: %2").arg(row.step, text);
    }
    case State::Saved:
        return tr("Saved in %1").arg(value(row, FolderRole).toString());
    case State::Failed:
        return tr("Failed: %1").arg(value(row, ReasonRole).toString());
    case State::Stopped:
        return row.files.isEmpty() ? tr("Paused")
                                   : tr("Paused, %n file(s) saved", nullptr, int(row.files.size()));
    case State::Cancelled:
        return tr("Cancelled");
    }
    return QString();
}

QHash<int, QByteArray> DownloadQueue::roleNames() const
{
    QHash<int, QByteArray> names = QAbstractListModel::roleNames();
    names.insert({ { InputRole, "input" },
                   { StateRole, "state" },
                   { ReceivedRole, "received" },
                   { TotalRole, "total" },
                   { SpeedRole, "speed" },
                   { RemainingRole, "remaining" },
                   { StepRole, "step" },
                   { ReasonRole, "reason" },
                   { TitleRole, "title" },
                   { VideoIdRole, "videoId" },
                   { FilesRole, "files" },
                   { FolderRole, "folder" },
                   { AddressRole, "address" },
                   { SavedBeforeRole, "savedBefore" } });
    return names;
}
