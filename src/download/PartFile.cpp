#include "PartFile.h"

#include "CheckedWrites.h"
#include "SuggestedFileName.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QThreadPool>

#include <cerrno>
#include <cstdio>
#include <cstring>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace Qt::StringLiterals;

namespace {

constexpr int maxNumberedAttempts = 10000;

QString tr(const char *text)
{
    return QCoreApplication::translate("PartFile", text);
}

QString systemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// True when this process now holds the only lock on \a file; another holder means another
// download is writing it.
bool lockExclusively(QFile &file)
{
#ifdef Q_OS_UNIX
    return ::flock(file.handle(), LOCK_EX | LOCK_NB) == 0;
#else
    Q_UNUSED(file);
    return true;
#endif
}

// Removes the open \a file while its descriptor, and so its lock, is still held.
bool removeWhileOpen(QFile &file)
{
#ifdef Q_OS_UNIX
    return ::unlink(QFile::encodeName(file.fileName()).constData()) == 0;
#else
    return file.remove();
#endif
}

enum class Rename { Done, Taken, Failed };

// Renames \a from to \a to unless \a to exists; never replaces a file, even one created meanwhile.
Rename renameWithoutReplacing(const QString &from, const QString &to, int *error)
{
    const QByteArray source = QFile::encodeName(from);
    const QByteArray target = QFile::encodeName(to);
#ifdef Q_OS_LINUX
    if (::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE)
        == 0)
        return Rename::Done;
    if (errno == EEXIST)
        return Rename::Taken;
    // File systems without RENAME_NOREPLACE: a hard link fails just as well on a taken name.
    if (errno != EINVAL && errno != ENOSYS) {
        *error = errno;
        return Rename::Failed;
    }
#endif
#ifdef Q_OS_UNIX
    if (::link(source.constData(), target.constData()) != 0) {
        *error = errno;
        return errno == EEXIST ? Rename::Taken : Rename::Failed;
    }
    ::unlink(source.constData());
    return Rename::Done;
#else
    if (QFile::exists(to))
        return Rename::Taken;
    if (QFile::rename(from, to))
        return Rename::Done;
    *error = EIO;
    return Rename::Failed;
#endif
}

} // namespace

QString PartFile::suffix()
{
    return u".part"_s;
}

QString PartFile::validatorsSuffix()
{
    return u".meta"_s;
}

int PartFile::removeStale(const QString &directory, std::chrono::seconds maximumAge)
{
    const QDir dir(directory);
    const QDateTime before = QDateTime::currentDateTimeUtc().addSecs(-maximumAge.count());
    const QStringList parts
        = dir.entryList({ u"*"_s + suffix() }, QDir::Files | QDir::Hidden | QDir::System);
    int removed = 0;
    for (const QString &name : parts) {
        QFile part(dir.filePath(name));
        if (QFileInfo(part).lastModified().toUTC() >= before
            || !part.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
            continue;
        // A download holds its ".part" locked for as long as it runs; holding the lock here, in
        // turn, keeps any download from taking the file over while it goes (QFile::remove()
        // would close it, and so unlock it, first).
        if (!lockExclusively(part))
            continue;
        if (removeWhileOpen(part)) {
            QFile::remove(part.fileName() + validatorsSuffix());
            ++removed;
        }
    }
    const QStringList orphans = dir.entryList({ u"*"_s + suffix() + validatorsSuffix() },
                                              QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &name : orphans) {
        const QFileInfo validators(dir.filePath(name));
        if (validators.lastModified().toUTC() < before
            && !QFileInfo::exists(validators.filePath().chopped(validatorsSuffix().size())))
            QFile::remove(validators.filePath());
    }
    return removed;
}

void PartFile::removeStaleInBackground(const QStringList &directories)
{
    QThreadPool::globalInstance()->start([directories] {
        for (const QString &directory : directories)
            removeStale(directory);
    });
}

PartFile::PartFile(const QString &path) : m_file(path) { }

PartFile::~PartFile()
{
    if (!m_done)
        discard();
}

std::unique_ptr<PartFile> PartFile::claim(const QString &directory, const QString &name,
                                          Existing existing, QString *error)
{
    const QDir dir(directory);
    const QString safeName = SuggestedFileName::sanitize(name);
    for (int number = 0; number < maxNumberedAttempts; ++number) {
        const QString finalPath = dir.filePath(SuggestedFileName::numbered(safeName, number));
        std::unique_ptr<PartFile> part(new PartFile(finalPath + suffix()));
        if (QFileInfo::exists(part->path())) {
            if (existing == Existing::Avoid || !part->takeOver(existing == Existing::Restart))
                continue;
            if (!part->m_error.isEmpty()) {
                *error = part->m_error;
                return nullptr;
            }
            return part;
        }
        if (QFileInfo::exists(finalPath))
            continue;
        if (!part->m_file.open(QIODevice::ReadWrite | QIODevice::NewOnly | QIODevice::Unbuffered)) {
            if (QFileInfo::exists(part->path())) {
                --number; // created meanwhile: look at it again
                continue;
            }
            *error = tr("Cannot create %1: %2").arg(part->path(), part->m_file.errorString());
            return nullptr;
        }
        part->m_done = false;
        if (lockExclusively(part->m_file)) {
            // Validators left without their ".part" are of some other version.
            QFile::remove(part->validatorsPath());
            return part;
        }
        part->m_file.close(); // another claim opened it between its creation and this lock
        part->m_done = true;
    }
    *error = tr("No free file name for %1 in %2").arg(safeName, directory);
    return nullptr;
}

// Takes over an existing ".part" that no other download holds; false when it is held or cannot
// be opened. A failure to empty it is kept in m_error.
bool PartFile::takeOver(bool emptied)
{
    if (!m_file.open(QIODevice::ReadWrite | QIODevice::Unbuffered))
        return false;
    if (!lockExclusively(m_file)) {
        m_file.close();
        return false;
    }
    m_done = false;
    m_size = m_file.size();
    if (emptied)
        truncate();
    else if (!m_file.seek(m_size))
        fail(m_file.errorString());
    else
        loadValidators();
    return true;
}

void PartFile::loadValidators()
{
    QFile file(validatorsPath());
    if (file.open(QIODevice::ReadOnly))
        m_validators
            = ResumeValidators::parse(file.read(ResumeValidators::maximumSerializedSize + 1));
}

bool PartFile::setValidators(const ResumeValidators &validators)
{
    if (!m_error.isEmpty() || m_done)
        return false;
    m_validators = validators;
    const QByteArray text = validators.serialized();
    QFile file(validatorsPath());
    if (text.isEmpty())
        return !file.exists() || file.remove() || fail(file.errorString());
    qint64 written = 0;
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered)
        || !CheckedWrites::writeAll(file, text.constData(), text.size(), written)
        || !CheckedWrites::allWritten(file)) {
        const QString reason = CheckedWrites::writeFailure(file.fileName(), file.errorString());
        file.close();
        discard();
        m_error = reason;
        return false;
    }
    return true;
}

QByteArray PartFile::read(qint64 offset, qint64 bytes)
{
    const qint64 position = m_file.pos();
    if (!m_file.seek(offset))
        return {};
    const QByteArray data = m_file.read(bytes);
    m_file.seek(position);
    return data;
}

bool PartFile::write(const char *data, qint64 size)
{
    if (!m_error.isEmpty() || m_done)
        return false;
    return CheckedWrites::writeAll(m_file, data, size, m_size) || fail(m_file.errorString());
}

bool PartFile::truncate()
{
    if (!m_file.resize(0) || !m_file.seek(0))
        return fail(m_file.errorString());
    m_size = 0;
    return setValidators({});
}

QString PartFile::commit(const QString &finalName)
{
    if (!m_error.isEmpty() || m_done)
        return {};
    if (!CheckedWrites::allWritten(m_file)) {
        fail(m_file.errorString());
        return {};
    }
    if (const QString difference = CheckedWrites::sizeDifference(path(), m_file.size(), m_size);
        !difference.isEmpty()) {
        fail(difference);
        return {};
    }
    const QDir dir = QFileInfo(path()).dir();
    const QString safeName = SuggestedFileName::sanitize(finalName);
    for (int number = 0; number < maxNumberedAttempts; ++number) {
        const QString target = dir.filePath(SuggestedFileName::numbered(safeName, number));
        int error = 0;
        const Rename renamed = renameWithoutReplacing(path(), target, &error);
        if (renamed == Rename::Taken)
            continue;
        if (renamed == Rename::Failed) {
            fail(tr("Cannot rename %1 to %2: %3").arg(path(), target, systemReason(error)));
            return {};
        }
        // The lock goes with the descriptor, which now names the final file.
        m_file.close();
        m_done = true;
        QFile::remove(validatorsPath());
        m_error = CheckedWrites::sizeDifference(target, QFileInfo(target).size(), m_size);
        if (!m_error.isEmpty()) {
            QFile::remove(target);
            return {};
        }
        return target;
    }
    fail(tr("No free file name for %1 in %2").arg(safeName, dir.path()));
    return {};
}

void PartFile::keep()
{
    if (m_done)
        return;
    m_file.close();
    m_done = true;
    if (m_size == 0) {
        QFile::remove(path());
        QFile::remove(validatorsPath());
    }
}

void PartFile::discard()
{
    if (m_done)
        return;
    if (m_file.isOpen())
        m_file.close();
    m_done = true;
    QFile::remove(path());
    QFile::remove(validatorsPath());
}

bool PartFile::fail(const QString &reason)
{
    m_error = CheckedWrites::writeFailure(path(), reason);
    discard();
    return false;
}
