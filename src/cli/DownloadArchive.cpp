#include "DownloadArchive.h"

#include <QFile>
#include <QHash>
#include <QPromise>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

const QByteArray prefix = "douyin ";
constexpr qsizetype readChunk = 64 * 1024;

QString systemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// What \a work returns, run while holding flock(\a operation) on \a descriptor.
template<typename Work>
auto underLock(int descriptor, int operation, Work work)
{
    while (::flock(descriptor, operation) != 0 && errno == EINTR) { }
    const auto result = work();
    ::flock(descriptor, LOCK_UN);
    return result;
}

template<typename Result, typename Work>
QFuture<Result> runOn(QThreadPool &pool, Work work)
{
    auto promise = std::make_shared<QPromise<Result>>();
    QFuture<Result> future = promise->future();
    pool.start([promise, work = std::move(work)]() mutable {
        promise->start();
        promise->addResult(work());
        promise->finish();
    });
    return future;
}

} // namespace

// The open file and what has been read of it; used on the archive's thread only (and by open()
// before any work is queued).
class DownloadArchive::File
{
public:
    explicit File(int descriptor, const QString &path) : m_descriptor(descriptor), m_path(path) { }
    ~File() { ::close(m_descriptor); }
    File(const File &) = delete;
    File &operator=(const File &) = delete;

    QString readNew()
    {
        return underLock(m_descriptor, LOCK_SH, [this] { return catchUp(); });
    }

    Record record(const QString &videoId) const { return m_records.value(videoId); }

    QString append(const QString &videoId, const QString &fileKey)
    {
        return underLock(m_descriptor, LOCK_EX,
                         [this, &videoId, &fileKey] { return appendLocked(videoId, fileKey); });
    }

private:
    QString appendLocked(const QString &videoId, const QString &fileKey)
    {
        if (const QString error = catchUp(); !error.isEmpty())
            return error;
        if (holds(videoId, fileKey))
            return {}; // another process saved it meanwhile
        struct stat status = {};
        if (::fstat(m_descriptor, &status) != 0)
            return failure(errno);
        const QString entry = fileKey.isEmpty() ? videoId : videoId + u' ' + fileKey;
        const QByteArray line
            = (endsInsideALine(status.st_size) ? "\n" : "") + prefix + entry.toUtf8() + '\n';
        const ssize_t written = ::write(m_descriptor, line.constData(), size_t(line.size()));
        const int error = written < 0 ? errno : written != ssize_t(line.size()) ? ENOSPC : 0;
        if (error == 0 && ::fsync(m_descriptor) == 0) {
            take(line.trimmed());
            return {};
        }
        const int reason = error != 0 ? error : errno;
        // Neither a torn line nor one that says saved what the item failed to record stays
        // behind (should this fail too, the next line starts on a line of its own).
        [[maybe_unused]] const int undone = ::ftruncate(m_descriptor, status.st_size);
        return failure(reason);
    }

    // Reads the lines added since the last read. Lines are written whole under the lock, so the
    // last one lacks its newline only when the file was edited by hand.
    QString catchUp()
    {
        QByteArray added;
        char buffer[readChunk];
        for (;;) {
            const ssize_t count = ::pread(m_descriptor, buffer, sizeof buffer, m_readOffset);
            if (count < 0 && errno == EINTR)
                continue;
            if (count < 0)
                return failure(errno, u"read"_s);
            if (count == 0)
                break;
            added.append(buffer, count);
            m_readOffset += count;
        }
        for (const QByteArray &line : added.split('\n'))
            take(line.trimmed());
        return {};
    }

    // "douyin ID" or "douyin ID KEY".
    void take(QByteArrayView line)
    {
        if (!line.startsWith(prefix))
            return;
        const QString entry = QString::fromUtf8(line.sliced(prefix.size()).trimmed());
        const qsizetype space = entry.indexOf(u' ');
        Record &record = m_records[entry.left(space)];
        if (space < 0)
            record.whole = true;
        else
            record.files.insert(entry.mid(space + 1));
    }

    bool holds(const QString &videoId, const QString &fileKey) const
    {
        const auto found = m_records.constFind(videoId);
        return found != m_records.cend()
            && (found->whole || (!fileKey.isEmpty() && found->files.contains(fileKey)));
    }

    bool endsInsideALine(qint64 size) const
    {
        char last = '\n';
        return size > 0 && ::pread(m_descriptor, &last, 1, size - 1) == 1 && last != '\n';
    }

    QString failure(int error, const QString &verb = u"write"_s) const
    {
        return u"cannot %1 the download archive %2: %3"_s.arg(verb, m_path, systemReason(error));
    }

    int m_descriptor;
    QString m_path;
    qint64 m_readOffset = 0;
    QHash<QString, Record> m_records;
};

DownloadArchive::DownloadArchive()
{
    m_thread.setMaxThreadCount(1);
}

DownloadArchive::~DownloadArchive()
{
    m_thread.waitForDone();
}

bool DownloadArchive::open(const QString &path, QString *error)
{
    const int descriptor = ::open(QFile::encodeName(path).constData(),
                                  O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    if (descriptor < 0) {
        *error = u"cannot open the download archive %1: %2"_s.arg(path, systemReason(errno));
        return false;
    }
    m_file = std::make_shared<File>(descriptor, path);
    *error = m_file->readNew();
    if (!error->isEmpty())
        m_file.reset();
    return m_file != nullptr;
}

bool DownloadArchive::isOpen() const
{
    return m_file != nullptr;
}

QFuture<DownloadArchive::Record> DownloadArchive::lookUp(const QString &videoId)
{
    return runOn<Record>(m_thread, [file = m_file, videoId] {
        // What could not be read now was read before, or is read at the next look-up.
        file->readNew();
        return file->record(videoId);
    });
}

QFuture<QString> DownloadArchive::add(const QString &videoId, const QString &fileKey)
{
    return runOn<QString>(
        m_thread, [file = m_file, videoId, fileKey] { return file->append(videoId, fileKey); });
}
