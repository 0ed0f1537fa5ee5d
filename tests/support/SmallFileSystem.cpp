#include "SmallFileSystem.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstring>

#include <sched.h>
#include <sys/mount.h>
#include <sys/statvfs.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

QString systemError(const char *what)
{
    return QString::fromLatin1(what) + u": "_s + QString::fromLocal8Bit(std::strerror(errno));
}

} // namespace

bool SmallFileSystem::isolateMounts(QString *error)
{
    static bool entered = false;
    static QString failure;
    if (!entered && failure.isEmpty()) {
        if (geteuid() != 0)
            failure = u"mounting a small tmpfs needs root"_s;
        else if (unshare(CLONE_NEWNS) != 0)
            failure = systemError("unshare(CLONE_NEWNS)");
        else if (::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
            failure = systemError("making / private");
        else
            entered = true;
    }
    *error = failure;
    return entered;
}

SmallFileSystem::~SmallFileSystem()
{
    if (m_mounted)
        ::umount2(QFile::encodeName(m_path).constData(), MNT_DETACH);
}

bool SmallFileSystem::mount(qint64 bytes, const QString &where)
{
    if (!isolateMounts(&m_error))
        return false;
    m_path = where.isEmpty() ? m_temporary.path() : where;
    if (!QDir().mkpath(m_path)) {
        m_error = u"cannot make "_s + m_path;
        return false;
    }
    const QByteArray options = "size=" + QByteArray::number(bytes) + ",mode=0700";
    if (::mount("tmpfs", QFile::encodeName(m_path).constData(), "tmpfs", MS_NOSUID | MS_NODEV,
                options.constData())
        != 0) {
        m_error = systemError("mounting a tmpfs");
        return false;
    }
    m_mounted = true;
    return true;
}

qint64 SmallFileSystem::freeBytes() const
{
    struct statvfs info
    {
    };
    if (statvfs(QFile::encodeName(m_path).constData(), &info) != 0)
        return -1;
    return qint64(info.f_bavail) * qint64(info.f_frsize);
}

QString SmallFileSystem::fillerName()
{
    return u".filler"_s;
}

bool SmallFileSystem::leaveFree(qint64 bytes)
{
    QFile filler(m_path + u'/' + fillerName());
    if (!filler.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
        return false;
    const QByteArray block(4096, 'f');
    while (freeBytes() > bytes) {
        const qint64 room = freeBytes() - bytes;
        if (filler.write(block.constData(), std::min<qint64>(room, block.size())) <= 0)
            return bytes == 0;
    }
    return freeBytes() <= bytes;
}
