#include "LoopbackStream.h"

#include "StopSignal.h"

#include <openssl/err.h>
#include <openssl/ssl.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

namespace {

using namespace std::chrono_literals;

// How often a blocked wait looks at the stop signal.
constexpr auto waitSlice = 50ms;
constexpr qsizetype readChunk = 16 * 1024;

std::string addressText(const sockaddr_storage &address, int &port)
{
    char text[INET6_ADDRSTRLEN] = {};
    if (address.ss_family == AF_INET6) {
        const auto &in6 = reinterpret_cast<const sockaddr_in6 &>(address);
        inet_ntop(AF_INET6, &in6.sin6_addr, text, sizeof text);
        port = ntohs(in6.sin6_port);
    } else {
        const auto &in4 = reinterpret_cast<const sockaddr_in &>(address);
        inet_ntop(AF_INET, &in4.sin_addr, text, sizeof text);
        port = ntohs(in4.sin_port);
    }
    return text;
}

} // namespace

LoopbackStream::LoopbackStream(int socket, SSL *ssl, const StopSignal &stop,
                               std::chrono::milliseconds ioTimeout)
    : m_socket(socket), m_ssl(ssl), m_stop(stop), m_ioTimeout(ioTimeout)
{
    fcntl(m_socket, F_SETFL, fcntl(m_socket, F_GETFL) | O_NONBLOCK);
    // As web servers do: the last small piece of a response goes out at once instead of waiting
    // for the client's delayed acknowledgement of the previous one (some 40 ms on Linux).
    const int noDelay = 1;
    setsockopt(m_socket, IPPROTO_TCP, TCP_NODELAY, &noDelay, sizeof noDelay);
    if (m_ssl)
        SSL_set_fd(m_ssl, m_socket);
}

LoopbackStream::~LoopbackStream()
{
    close(false);
}

bool LoopbackStream::handshake()
{
    if (!m_ssl)
        return true;
    const auto deadline = std::chrono::steady_clock::now() + m_ioTimeout;
    for (;;) {
        ERR_clear_error();
        const int result = SSL_accept(m_ssl);
        if (result == 1)
            return true;
        const int error = SSL_get_error(m_ssl, result);
        if (error != SSL_ERROR_WANT_READ && error != SSL_ERROR_WANT_WRITE)
            return false;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left <= 0ms
            || waitForSocket(error == SSL_ERROR_WANT_READ ? POLLIN : POLLOUT, left) != Wait::Ready)
            return false;
    }
}

bool LoopbackStream::waitForRequest(std::chrono::milliseconds idle)
{
    if (is_readable())
        return true;
    return waitForSocket(POLLIN, idle) == Wait::Ready;
}

void LoopbackStream::startCapture()
{
    m_head.clear();
    m_capturing = true;
}

void LoopbackStream::close(bool reset)
{
    if (m_socket < 0)
        return;
    if (reset) {
        // A zero linger time makes close() send RST rather than FIN.
        const linger abort { 1, 0 };
        setsockopt(m_socket, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
    } else if (m_ssl && SSL_is_init_finished(m_ssl)) {
        SSL_shutdown(m_ssl);
    }
    if (m_ssl) {
        SSL_free(m_ssl);
        m_ssl = nullptr;
    }
    if (!reset)
        ::shutdown(m_socket, SHUT_RDWR);
    ::close(m_socket);
    m_socket = -1;
}

bool LoopbackStream::is_readable() const
{
    return m_bufferPos < m_buffer.size() || (m_ssl && SSL_pending(m_ssl) > 0);
}

bool LoopbackStream::is_writable() const
{
    return !m_stop.isRaised() && !peerHasGone()
        && waitForSocket(POLLOUT, m_ioTimeout) == Wait::Ready;
}

ssize_t LoopbackStream::read(char *ptr, size_t size)
{
    if (m_bufferPos >= m_buffer.size() && !fillBuffer())
        return -1;
    const auto count = std::min<qsizetype>(qsizetype(size), m_buffer.size() - m_bufferPos);
    std::memcpy(ptr, m_buffer.constData() + m_bufferPos, size_t(count));
    m_bufferPos += count;
    capture(ptr, size_t(count));
    return count;
}

ssize_t LoopbackStream::write(const char *ptr, size_t size)
{
    size_t written = 0;
    while (written < size) {
        const ssize_t count = writeSome(ptr + written, size - written);
        if (count < 0)
            return -1;
        written += size_t(count);
    }
    return ssize_t(written);
}

void LoopbackStream::get_remote_ip_and_port(std::string &ip, int &port) const
{
    sockaddr_storage address {};
    socklen_t length = sizeof address;
    if (getpeername(m_socket, reinterpret_cast<sockaddr *>(&address), &length) == 0)
        ip = addressText(address, port);
}

void LoopbackStream::get_local_ip_and_port(std::string &ip, int &port) const
{
    sockaddr_storage address {};
    socklen_t length = sizeof address;
    if (getsockname(m_socket, reinterpret_cast<sockaddr *>(&address), &length) == 0)
        ip = addressText(address, port);
}

LoopbackStream::Wait LoopbackStream::waitForSocket(short events,
                                                   std::chrono::milliseconds timeout) const
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (m_stop.isRaised())
            return Wait::Stopped;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left < 0ms)
            return Wait::TimedOut;
        pollfd descriptor { m_socket, events, 0 };
        const int ready = poll(&descriptor, 1, int(std::min(left, waitSlice).count()));
        if (ready > 0)
            return Wait::Ready;
        if (ready < 0 && errno != EINTR)
            return Wait::TimedOut;
    }
}

bool LoopbackStream::peerHasGone() const
{
    pollfd descriptor { m_socket, POLLRDHUP, 0 };
    return poll(&descriptor, 1, 0) > 0
        && (descriptor.revents & (POLLRDHUP | POLLHUP | POLLERR | POLLNVAL)) != 0;
}

bool LoopbackStream::fillBuffer()
{
    m_buffer.resize(readChunk);
    m_bufferPos = 0;
    const auto deadline = std::chrono::steady_clock::now() + m_ioTimeout;
    for (;;) {
        short waitFor = POLLIN;
        if (m_ssl) {
            ERR_clear_error();
            const int count = SSL_read(m_ssl, m_buffer.data(), int(readChunk));
            if (count > 0) {
                m_buffer.resize(count);
                return true;
            }
            const int error = SSL_get_error(m_ssl, count);
            if (error == SSL_ERROR_WANT_WRITE)
                waitFor = POLLOUT;
            else if (error != SSL_ERROR_WANT_READ)
                break;
        } else {
            const ssize_t count = recv(m_socket, m_buffer.data(), size_t(readChunk), 0);
            if (count > 0) {
                m_buffer.resize(count);
                return true;
            }
            if (count == 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR))
                break;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left <= 0ms || waitForSocket(waitFor, left) != Wait::Ready)
            break;
    }
    m_buffer.clear();
    return false;
}

ssize_t LoopbackStream::writeSome(const char *ptr, size_t size)
{
    const auto deadline = std::chrono::steady_clock::now() + m_ioTimeout;
    for (;;) {
        short waitFor = POLLOUT;
        if (m_ssl) {
            ERR_clear_error();
            const int count = SSL_write(m_ssl, ptr, int(std::min<size_t>(size, 1 << 20)));
            if (count > 0)
                return count;
            const int error = SSL_get_error(m_ssl, count);
            if (error == SSL_ERROR_WANT_READ)
                waitFor = POLLIN;
            else if (error != SSL_ERROR_WANT_WRITE)
                return -1;
        } else {
            const ssize_t count = send(m_socket, ptr, size, MSG_NOSIGNAL);
            if (count >= 0)
                return count;
            if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)
                return -1;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left <= 0ms || waitForSocket(waitFor, left) != Wait::Ready)
            return -1;
    }
}

void LoopbackStream::capture(const char *ptr, size_t size)
{
    if (!m_capturing)
        return;
    m_head.append(ptr, qsizetype(size));
    if (m_head.endsWith("\r\n\r\n") || m_head.endsWith("\n\n"))
        m_capturing = false;
}
