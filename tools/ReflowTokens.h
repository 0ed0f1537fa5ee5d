#pragma once

#include <QByteArray>
#include <QMutex>
#include <QSet>
#include <QString>

/*!
 * \brief The one-time tokens the sample platform's share shells hand out, and their redemption by
 * the iteminfo address, as the platform does it: a token serves once, a new page brings a new one.
 *
 * Used from the server's threads.
 */
class ReflowTokens
{
public:
    struct Issued
    {
        QString webId;
        QString userCip;
        QString token;
    };

    /*! A fresh web ID and token for one page. */
    Issued issue();
    /*! The element markup a shell page carries for \a issued. */
    static QByteArray markup(const Issued &issued);
    /*! True once for a \a reflowId (Base64) that encrypts a token issued under \a webId; the
     *  token is used up. */
    bool redeem(const QString &webId, const QByteArray &reflowId);
    /*! Makes every token issued so far stale, as time does on the platform. */
    void expireAll();

private:
    QMutex m_mutex;
    QSet<QString> m_open; // "webId token" of tokens not yet used
    quint64 m_issued = 0;
};
