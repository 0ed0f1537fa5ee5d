#include "DownloadArchive.h"

using namespace Qt::StringLiterals;

namespace {

const QByteArray prefix = "douyin ";

} // namespace

bool DownloadArchive::open(const QString &path, QString *error)
{
    m_file.setFileName(path);
    if (!m_file.open(QIODevice::ReadWrite | QIODevice::Append | QIODevice::Text)) {
        *error = u"cannot open the download archive %1: %2"_s.arg(path, m_file.errorString());
        return false;
    }
    m_file.seek(0);
    while (!m_file.atEnd()) {
        const QByteArray line = m_file.readLine().trimmed();
        if (line.startsWith(prefix))
            m_done.insert(QString::fromUtf8(line.mid(prefix.size()).trimmed()));
    }
    return true;
}

bool DownloadArchive::contains(const QString &videoId) const
{
    return m_done.contains(videoId);
}

bool DownloadArchive::add(const QString &videoId, QString *error)
{
    if (videoId.isEmpty() || m_done.contains(videoId))
        return true;
    const QByteArray line = prefix + videoId.toUtf8() + '\n';
    if (m_file.write(line) != line.size() || !m_file.flush()) {
        *error = u"cannot write the download archive %1: %2"_s.arg(m_file.fileName(),
                                                                   m_file.errorString());
        return false;
    }
    m_done.insert(videoId);
    return true;
}
