#include "RecordingServer.h"

#include "LoopbackStream.h"
#include "StopSignal.h"

#include <openssl/ssl.h>

#include <atomic>
#include <csignal>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;

constexpr auto ioTimeout = 10s;
constexpr time_t keepAliveSeconds = 3;
constexpr size_t keepAliveRequests = 100;
constexpr size_t workerThreads = 24;

enum class ConnectionEnd { KeepAlive, Close, Reset };

// Set by a handler of the current connection; every connection runs on one worker thread.
thread_local ConnectionEnd t_connectionEnd = ConnectionEnd::KeepAlive;

// Numbers the connections of every server of the process.
std::atomic<int> connectionCount { 0 };

} // namespace

RecordingServer::RecordingServer(SSL_CTX *tlsContext, const StopSignal &stop, Recorder recorder,
                                 CloseRecorder closeRecorder)
    : m_tlsContext(tlsContext)
    , m_stop(stop)
    , m_recorder(std::move(recorder))
    , m_closeRecorder(std::move(closeRecorder))
{
    // A client that goes away mid-response must not kill the process through SIGPIPE.
    std::signal(SIGPIPE, SIG_IGN);
    // Idle keep-alive connections and stalled responses each hold a worker.
    new_task_queue = [] { return new httplib::ThreadPool(workerThreads); };
    set_keep_alive_timeout(keepAliveSeconds);
    set_keep_alive_max_count(keepAliveRequests);
}

RecordingServer::~RecordingServer()
{
    closeUnusedSocket();
}

void RecordingServer::closeUnusedSocket()
{
    if (is_running())
        return;
    const socket_t socket = svr_sock_.exchange(INVALID_SOCKET);
    if (socket != INVALID_SOCKET)
        ::close(socket);
}

void RecordingServer::closeCurrentConnection()
{
    if (t_connectionEnd == ConnectionEnd::KeepAlive)
        t_connectionEnd = ConnectionEnd::Close;
}

void RecordingServer::resetCurrentConnection()
{
    t_connectionEnd = ConnectionEnd::Reset;
}

bool RecordingServer::process_and_close_socket(socket_t sock)
{
    SSL *ssl = m_tlsContext ? SSL_new(m_tlsContext) : nullptr;
    if (m_tlsContext && !ssl) {
        ::close(sock);
        return false;
    }
    LoopbackStream stream(sock, ssl, m_stop, ioTimeout);
    t_connectionEnd = ConnectionEnd::KeepAlive;
    bool ok = stream.handshake();
    bool connectionClosed = false;
    bool carriedRequests = false;
    const bool https = m_tlsContext != nullptr;
    const int connection = ++connectionCount;
    for (size_t left = keep_alive_max_count_; ok && left > 0 && !connectionClosed; --left) {
        if (!stream.waitForRequest(std::chrono::seconds(keep_alive_timeout_sec_)))
            break;
        stream.startCapture();
        ok = process_request(stream, left == 1, connectionClosed, [&](httplib::Request &request) {
            m_recorder(stream.capturedHead(), https, connection);
            carriedRequests = true;
            // The handlers answer Range requests themselves: httplib
            // would answer a range past the end with an empty 206.
            request.ranges.clear();
            // Bodies go out as the handlers write them: httplib would
            // compress some (the unending ones among them) on its own.
            request.headers.erase("Accept-Encoding");
        });
        if (t_connectionEnd != ConnectionEnd::KeepAlive)
            break;
    }
    stream.close(t_connectionEnd == ConnectionEnd::Reset);
    t_connectionEnd = ConnectionEnd::KeepAlive;
    if (carriedRequests)
        m_closeRecorder(connection);
    return ok;
}
