#include "PlatformProcess.h"

#include <csignal>

#include <sys/prctl.h>

using namespace Qt::StringLiterals;

namespace {

constexpr int summaryTimeoutMs = 10000;
constexpr int stopTimeoutMs = 10000;

} // namespace

PlatformProcess::~PlatformProcess()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    // The server stops on SIGTERM; the destructor of QProcess kills it if it does not.
    m_process.terminate();
    m_process.waitForFinished(stopTimeoutMs);
}

bool PlatformProcess::start(const QString &program, const QStringList &arguments, QString &error)
{
    // Its warnings would pile up unread in this process, which measures its own memory.
    m_process.setStandardErrorFile(QProcess::nullDevice());
    m_process.setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGTERM); });
    m_process.start(program, arguments);
    if (!m_process.waitForStarted(summaryTimeoutMs)) {
        error = program + u": "_s + m_process.errorString();
        return false;
    }
    if (!readSummary()) {
        error = program + u' ' + arguments.join(u' ')
            + u": no complete summary of the endpoints and items"_s;
        return false;
    }
    return true;
}

bool PlatformProcess::readLine(QString &line)
{
    while (!m_process.canReadLine()) {
        if (!m_process.waitForReadyRead(summaryTimeoutMs))
            return false;
    }
    line = QString::fromUtf8(m_process.readLine()).chopped(1);
    return true;
}

// The summary: option lines ("  --share-origin https://…"), "Media: <url>", "Items: <count>",
// then per item a line starting with its identifier and a line with its share text.
bool PlatformProcess::readSummary()
{
    m_endpoints = Endpoints { {}, {}, {} };
    QString line;
    while (readLine(line)) {
        const QString value = line.section(u' ', -1);
        if (line.startsWith(u"  --short-link-host "_s))
            m_endpoints.shortLinkHost = value;
        else if (line.startsWith(u"  --share-origin "_s))
            m_endpoints.shareOrigin = value;
        else if (line.startsWith(u"  --web-origin "_s))
            m_endpoints.webOrigin = value;
        else if (line.startsWith(u"  --ca-certificates "_s))
            m_caCertificatesPath = line.mid(qsizetype(sizeof("  --ca-certificates ")) - 1);
        else if (line.startsWith(u"Media: "_s))
            m_mediaUrl = value;
        else if (line.startsWith(u"Items: "_s)) {
            readItems(value.toInt());
            break;
        }
    }
    return !m_items.isEmpty() && !m_mediaUrl.isEmpty() && !m_caCertificatesPath.isEmpty()
        && !m_endpoints.shortLinkHost.isEmpty() && !m_endpoints.shareOrigin.isEmpty()
        && !m_endpoints.webOrigin.isEmpty();
}

void PlatformProcess::readItems(int count)
{
    QList<Item> items;
    QString heading;
    QString shareText;
    for (int i = 0; i < count; ++i) {
        if (!readLine(heading) || !readLine(shareText))
            return;
        items.append({ heading.section(u' ', 0, 0), shareText.mid(2) });
    }
    m_items = items;
}
