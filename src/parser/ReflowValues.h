#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

#include <optional>

/*!
 * \brief The two short-lived values a share page carries even when it is an empty shell, and the
 * item address they open.
 *
 * The shell holds an element with id "douyin_reflow_webId" (attributes "webId" and "usercip") and
 * one with id "douyin_reflow_token" (attribute "xsstoken"). The item is then asked for at the
 * share origin's "/web/api/v2/aweme/iteminfo/" with a reflow ID: the token encrypted with
 * AES-128-CBC (PKCS#7 padding), key and IV both the first 16 bytes of the web ID, in Base64. A
 * token serves once; a new page brings a new one.
 */
class ReflowValues
{
public:
    /*! The values of \a page, or nothing when it lacks one of them or the web ID is shorter than
     *  an AES key. */
    static std::optional<ReflowValues> fromPage(const QByteArray &page);

    QString webId() const { return m_webId; }
    QString userCip() const { return m_userCip; }
    QString xssToken() const { return m_xssToken; }

    /*! Base64 of the encrypted token; empty if the cipher could not run. */
    QByteArray reflowId() const;
    /*! Where the item of \a videoId is, on \a shareOrigin (scheme, host, optional port). */
    QUrl itemInfoUrl(const QString &shareOrigin, const QString &videoId) const;

    /*! Encrypts \a plain as the reflow ID does (also what a server does to check one). */
    static QByteArray encrypt(const QByteArray &plain, const QByteArray &webId);
    /*! The reverse of encrypt(); empty when \a cipher is not a valid encryption under \a webId. */
    static QByteArray decrypt(const QByteArray &cipher, const QByteArray &webId);

private:
    QString m_webId;
    QString m_userCip;
    QString m_xssToken;
};
