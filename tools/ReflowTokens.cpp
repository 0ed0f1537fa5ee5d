#include "ReflowTokens.h"

#include "ReflowValues.h"

#include <QMutexLocker>
#include <QRandomGenerator>

using namespace Qt::StringLiterals;

ReflowTokens::Issued ReflowTokens::issue()
{
    QMutexLocker lock(&m_mutex);
    const quint64 serial = ++m_issued;
    Issued issued;
    // Nineteen digits, as the platform's web IDs have.
    issued.webId = u"73%1"_s.arg(QRandomGenerator::global()->bounded(Q_INT64_C(1) << 52), 17, 10,
                                 QLatin1Char('0'));
    issued.userCip = u"203.0.113.%1"_s.arg(serial % 250 + 1);
    issued.token = u"xss-%1-%2"_s.arg(serial).arg(QRandomGenerator::global()->generate(), 0, 16);
    m_open.insert(issued.webId + u' ' + issued.token);
    return issued;
}

QByteArray ReflowTokens::markup(const Issued &issued)
{
    return (u"<div id=\"douyin_reflow_webId\" webId=\"%1\" usercip=\"%2\" style=\"display:none\">"
            u"</div><div id=\"douyin_reflow_token\" xsstoken=\"%3\" style=\"display:none\"></div>"_s)
        .arg(issued.webId, issued.userCip, issued.token)
        .toUtf8();
}

bool ReflowTokens::redeem(const QString &webId, const QByteArray &reflowId)
{
    const QByteArray token
        = ReflowValues::decrypt(QByteArray::fromBase64(reflowId), webId.toUtf8());
    if (token.isEmpty())
        return false;
    QMutexLocker lock(&m_mutex);
    return m_open.remove(webId + u' ' + QString::fromUtf8(token));
}

void ReflowTokens::expireAll()
{
    QMutexLocker lock(&m_mutex);
    m_open.clear();
}
