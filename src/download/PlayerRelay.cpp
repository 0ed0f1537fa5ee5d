#include "PlayerRelay.h"

#include "NetworkAccess.h"

#include <QHostAddress>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QRandomGenerator>
#include <QTcpServer>
#include <QTcpSocket>

using namespace Qt::StringLiterals;

namespace {

// What the relay holds for a player that reads slowly (or not, while paused): the transfer waits.
constexpr qint64 bufferBytes = 512 * 1024;

// The answer's headers that the player needs to read and seek the video.
constexpr std::array passedHeaders { "Content-Type", "Content-Length", "Content-Range",
                                     "Accept-Ranges" };

QByteArray randomPath()
{
    QByteArray bytes(16, Qt::Uninitialized);
    QRandomGenerator::system()->fillRange(reinterpret_cast<quint32 *>(bytes.data()),
                                          bytes.size() / 4);
    return '/' + bytes.toHex();
}

} // namespace

PlayerRelay::PlayerRelay(QObject *parent) : QObject(parent), m_server(new QTcpServer(this))
{
    connect(m_server, &QTcpServer::newConnection, this, &PlayerRelay::accept);
}

PlayerRelay::~PlayerRelay() = default;

QUrl PlayerRelay::playableUrl(const QUrl &url)
{
    if (url.scheme().compare(u"https"_s, Qt::CaseInsensitive) != 0
        || NetworkAccess::extraCaCertificates().isEmpty())
        return url;
    if (!m_server->isListening() && !m_server->listen(QHostAddress::LocalHost)) {
        qWarning().noquote() << u"The player relay cannot listen: "_s + m_server->errorString();
        return url;
    }
    const QByteArray path = randomPath();
    m_addresses.insert(path, url);
    QUrl relayed;
    relayed.setScheme(u"http"_s);
    relayed.setHost(m_server->serverAddress().toString());
    relayed.setPort(m_server->serverPort());
    relayed.setPath(QString::fromLatin1(path));
    return relayed;
}

void PlayerRelay::accept()
{
    while (QTcpSocket *socket = m_server->nextPendingConnection()) {
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { readHead(socket); });
    }
}

// One request a connection: the head is read whole, then the connection is the answer's.
void PlayerRelay::readHead(QTcpSocket *socket)
{
    const QByteArray head = socket->peek(maximumHeadBytes);
    const qsizetype end = head.indexOf("\r\n\r\n");
    if (end < 0) {
        if (head.size() >= maximumHeadBytes)
            refuse(socket, "431 Request Header Fields Too Large");
        return;
    }
    socket->disconnect(this);
    socket->read(end + 4);
    const QList<QByteArray> lines = head.left(end).split('\n');
    const QList<QByteArray> requestLine = lines.constFirst().trimmed().split(' ');
    if (requestLine.size() != 3 || requestLine.at(0) != "GET") {
        refuse(socket, "405 Method Not Allowed");
        return;
    }
    const QUrl url = m_addresses.value(requestLine.at(1));
    if (url.isEmpty()) {
        refuse(socket, "404 Not Found");
        return;
    }
    QByteArray range;
    for (const QByteArray &line : lines) {
        if (line.toLower().startsWith("range:"))
            range = line.mid(6).trimmed();
    }
    relay(socket, url, range);
}

void PlayerRelay::relay(QTcpSocket *socket, const QUrl &url, const QByteArray &range)
{
    QNetworkRequest request = NetworkAccess::request(url);
    // Qt's own rule for redirects: never from https to plain http.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    if (!range.isEmpty())
        request.setRawHeader("Range", range);
    QNetworkReply *reply = NetworkAccess::manager().get(request);
    reply->setParent(socket);
    reply->setReadBufferSize(bufferBytes);
    connect(reply, &QNetworkReply::metaDataChanged, socket,
            [this, socket, reply] { passHead(socket, reply); });
    connect(reply, &QNetworkReply::readyRead, socket,
            [this, socket, reply] { passBody(socket, reply); });
    connect(socket, &QTcpSocket::bytesWritten, reply,
            [this, socket, reply] { passBody(socket, reply); });
    connect(reply, &QNetworkReply::finished, socket, [this, socket, reply] {
        if (!socket->property("answered").toBool()) {
            refuse(socket, "502 Bad Gateway");
            return;
        }
        passBody(socket, reply);
        if (reply->bytesAvailable() == 0)
            socket->disconnectFromHost();
    });
    connect(socket, &QTcpSocket::disconnected, reply, &QNetworkReply::abort);
}

void PlayerRelay::passHead(QTcpSocket *socket, QNetworkReply *reply)
{
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status < 200 || status >= 300 || socket->property("answered").toBool())
        return; // a redirect Qt follows, or an error status that finished() refuses
    socket->setProperty("answered", true);
    QByteArray head = "HTTP/1.1 " + QByteArray::number(status) + " OK\r\n";
    for (const char *name : passedHeaders) {
        if (reply->hasRawHeader(name))
            head += QByteArray(name) + ": " + reply->rawHeader(name) + "\r\n";
    }
    socket->write(head + "Connection: close\r\n\r\n");
}

// Bytes go on only as fast as the player takes them.
void PlayerRelay::passBody(QTcpSocket *socket, QNetworkReply *reply)
{
    if (!socket->property("answered").toBool())
        return;
    const qint64 room = bufferBytes - socket->bytesToWrite();
    if (room > 0 && reply->bytesAvailable() > 0)
        socket->write(reply->read(room));
    if (reply->isFinished() && reply->bytesAvailable() == 0 && socket->bytesToWrite() == 0)
        socket->disconnectFromHost();
}

void PlayerRelay::refuse(QTcpSocket *socket, const QByteArray &status)
{
    socket->write("HTTP/1.1 " + status + "\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
    socket->disconnectFromHost();
}
