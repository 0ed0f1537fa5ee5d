#pragma once

#include <httplib.h>

#include <QByteArray>

#include <functional>

class StopSignal;
typedef struct ssl_ctx_st SSL_CTX;

/*!
 * \brief An HTTP server (TLS when given a context) that hands the raw head of every request to a
 * recorder, tells it when a connection has been closed, watches a stop signal in every wait, and
 * lets a handler end its connection with a reset.
 *
 * It replaces the connection loop of httplib's server with one over LoopbackStream and leaves
 * request parsing, routing, ranges and response writing to httplib.
 */
class RecordingServer : public httplib::Server
{
public:
    /*! Called on the connection's thread with the request line and header lines as received, and
     *  the connection's number (the same for every request the connection carries). */
    using Recorder = std::function<void(const QByteArray &rawHead, bool https, int connection)>;
    /*! Called on the connection's thread once the connection \a connection is closed: its client
     *  left, or the server ended it. Not called for a connection that carried no request. */
    using CloseRecorder = std::function<void(int connection)>;

    /*! \a tlsContext (not owned, may be null for plain HTTP) must outlive the server. */
    RecordingServer(SSL_CTX *tlsContext, const StopSignal &stop, Recorder recorder,
                    CloseRecorder closeRecorder);
    ~RecordingServer() override;
    RecordingServer(const RecordingServer &) = delete;
    RecordingServer &operator=(const RecordingServer &) = delete;

    /*! From a handler: close the current connection once its response has been sent. */
    static void closeCurrentConnection();
    /*! From a handler or content provider: once the current response ends (or is abandoned),
     *  close its connection with a TCP reset. */
    static void resetCurrentConnection();

    /*! Closes the socket bound by bind_to_port() when the server never listened on it. */
    void closeUnusedSocket();

private:
    bool process_and_close_socket(socket_t sock) override;

    SSL_CTX *m_tlsContext;
    const StopSignal &m_stop;
    Recorder m_recorder;
    CloseRecorder m_closeRecorder;
};
