#pragma once

#include <QNetworkAccessManager>

/*!
 * \brief A network manager that lets go of its kept-alive connections, and what they hold, once
 * it has made a number of requests and none is left.
 *
 * Qt 6.4's OpenSSL backend keeps every TLS session a connection receives (two per connection
 * with TLS 1.3, each with the peer's certificate chain) in the context that the connections to
 * one host share, for two hours or up to 20,480 sessions, and never looks them up again: a soak
 * of parses and downloads grew by about 1.7 KB a request. That context goes only with the
 * cached connection, which a busy manager keeps (it expires after two idle minutes). So every
 * recycleAfter requests, at the first moment no reply of this manager exists, the manager clears
 * its connection cache: the next request opens a new connection, and memory stays bounded.
 */
class RecyclingNetworkManager : public QNetworkAccessManager
{
    Q_OBJECT

public:
    /*! Requests after which the connections go at the next idle moment. */
    static constexpr int recycleAfter = 64;

    explicit RecyclingNetworkManager(QObject *parent = nullptr);
    ~RecyclingNetworkManager() override;

    /*! How often the connection cache has been cleared so far. */
    int recycleCount() const { return m_recycleCount; }

protected:
    QNetworkReply *createRequest(Operation operation, const QNetworkRequest &request,
                                 QIODevice *outgoingData) override;

private:
    void replyDestroyed();
    void recycleWhenIdle();

    int m_liveReplies = 0;
    int m_requestsSinceRecycle = 0;
    int m_recycleCount = 0;
};
