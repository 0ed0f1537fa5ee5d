#pragma once

#include <QList>
#include <QSslCertificate>

#include <chrono>

class QNetworkAccessManager;
class QNetworkRequest;
class QUrl;

/*!
 * \brief Where Kivora's requests come from: the one owner of the network managers (one per
 * thread that asks) and the settings every request of the parser and the downloader shares.
 *
 * Certificate authorities added here are trusted by Kivora's own requests only; other TLS users
 * in the process (the media player, say) keep the system's list.
 */
class NetworkAccess
{
public:
    /*! How long a transfer may go without progress before it fails. */
    static constexpr std::chrono::milliseconds defaultInactivityTimeout { 15000 };

    /*! The calling thread's manager, made on first use; it goes with its thread (with the
     *  application object on the main thread). Its kept-alive connections are recycled now and
     *  then (RecyclingNetworkManager), so that a long-running process stays flat. */
    static QNetworkAccessManager &manager();
    /*! Deletes the calling thread's manager now, with its replies and its connections; the next
     *  manager() makes a new one. A program calls it on the main thread before its application
     *  object goes: the manager's own HTTP thread then closes its TLS connections while Qt can
     *  still load what that takes, instead of warning on the way out. */
    static void releaseManager();

    /*! A GET of \a url with the shared settings: HTTP/1.1 only, \a inactivityTimeout, the extra
     *  certificate authorities. Redirects are left to the caller (Qt's redirect policy is off). */
    static QNetworkRequest request(const QUrl &url,
                                   std::chrono::milliseconds inactivityTimeout
                                   = defaultInactivityTimeout);

    /*! Trusts \a certificates, beside the system's, in every request made after this call. */
    static void addCaCertificates(const QList<QSslCertificate> &certificates);
    static QList<QSslCertificate> extraCaCertificates();
};
