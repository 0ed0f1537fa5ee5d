#include "VerifiedSaveFile.h"

#include "PartFile.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

VerifiedSaveFile::VerifiedSaveFile(const QString &path) : m_path(path), m_file(path) { }

VerifiedSaveFile::~VerifiedSaveFile()
{
    if (!m_done)
        cancel();
}

bool VerifiedSaveFile::open()
{
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return fail(m_file.errorString());
    return true;
}

bool VerifiedSaveFile::write(const char *data, qint64 size)
{
    if (!m_error.isEmpty() || m_done)
        return false;
    return PartFile::writeAll(m_file, data, size, m_written) || fail(m_file.errorString());
}

bool VerifiedSaveFile::commit()
{
    if (!m_error.isEmpty() || m_done)
        return false;
    // Unbuffered, flush() has nothing left to write; it and error() still report a failed write
    // that the calls above did not see.
    if (!m_file.flush() || m_file.error() != QFileDevice::NoError)
        return fail(m_file.errorString());
    if (!m_file.commit())
        return fail(m_file.errorString());
    m_done = true;
    const qint64 onDisk = QFileInfo(m_path).size();
    if (onDisk != m_written) {
        QFile::remove(m_path);
        m_error
            = QCoreApplication::translate("VerifiedSaveFile", "%1 holds %2 of the %3 bytes written")
                  .arg(m_path)
                  .arg(onDisk)
                  .arg(m_written);
        return false;
    }
    return true;
}

void VerifiedSaveFile::cancel()
{
    if (!m_done && m_file.isOpen()) {
        m_file.cancelWriting();
        m_file.commit(); // with the writing cancelled, this only drops the temporary file
    }
    m_done = true;
    QFile::remove(m_path);
}

bool VerifiedSaveFile::fail(const QString &reason)
{
    m_error = reason.isEmpty()
        ? QCoreApplication::translate("VerifiedSaveFile", "Cannot write %1").arg(m_path)
        : QCoreApplication::translate("VerifiedSaveFile", "Cannot write %1: %2")
              .arg(m_path, reason);
    cancel();
    return false;
}
