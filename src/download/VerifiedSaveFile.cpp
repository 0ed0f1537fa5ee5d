#include "VerifiedSaveFile.h"

#include "CheckedWrites.h"

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
    return CheckedWrites::writeAll(m_file, data, size, m_written) || fail(m_file.errorString());
}

bool VerifiedSaveFile::commit()
{
    if (!m_error.isEmpty() || m_done)
        return false;
    if (!CheckedWrites::allWritten(m_file) || !m_file.commit())
        return fail(m_file.errorString());
    m_done = true;
    m_error = CheckedWrites::sizeDifference(m_path, QFileInfo(m_path).size(), m_written);
    if (!m_error.isEmpty()) {
        QFile::remove(m_path);
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
    m_error = CheckedWrites::writeFailure(m_path, reason);
    cancel();
    return false;
}
