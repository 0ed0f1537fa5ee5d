#pragma once

#include <QHash>
#include <QObject>
#include <QUrl>

class QNetworkReply;
class QTcpServer;
class QTcpSocket;

/*!
 * \brief Lets the player read https addresses through Kivora's own network layer, which trusts
 * the certificate authorities given with --ca-certificates (and the demo's): the media backend's
 * HTTP stack knows only the system's list, and played nothing from such a platform.
 *
 * A server on the loopback interface answers the player's GET requests by fetching the address
 * with NetworkAccess, the Range header included so that seeking works, and passes the bytes on as
 * the player reads them. It serves only the addresses given to playableUrl(), each under a random
 * path, so it is no open proxy. Plain http addresses, and every address while no certificate
 * authority was added, go to the player as they are.
 */
class PlayerRelay : public QObject
{
    Q_OBJECT

public:
    /*! The largest request head a player sends, in bytes; a longer one is refused. */
    static constexpr qsizetype maximumHeadBytes = 16 * 1024;

    explicit PlayerRelay(QObject *parent = nullptr);
    ~PlayerRelay() override;

    /*! The address the player opens for \a url: \a url itself, or its relayed address. */
    QUrl playableUrl(const QUrl &url);

private:
    void accept();
    void readHead(QTcpSocket *socket);
    void relay(QTcpSocket *socket, const QUrl &url, const QByteArray &range);
    void passHead(QTcpSocket *socket, QNetworkReply *reply);
    void passBody(QTcpSocket *socket, QNetworkReply *reply);
    static void refuse(QTcpSocket *socket, const QByteArray &status);

    QTcpServer *m_server;
    QHash<QByteArray, QUrl> m_addresses; // by path
};
