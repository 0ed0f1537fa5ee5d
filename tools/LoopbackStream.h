#pragma once

#include <httplib.h>

#include <QByteArray>

#include <chrono>

class StopSignal;
typedef struct ssl_st SSL;

/*!
 * \brief One accepted connection of the sample platform, plain or TLS, as a stream for the HTTP
 * server.
 *
 * Every wait is cut into short slices that watch the stop signal, so a server with idle, slow or
 * stalled connections still stops at once. It captures the raw request head (request line and
 * header lines as received) so the platform can record headers in their order, and it can end the
 * connection with a TCP reset.
 */
class LoopbackStream : public httplib::Stream
{
public:
    /*! Takes over \a socket; with \a ssl (owned too) the connection speaks TLS. */
    LoopbackStream(int socket, SSL *ssl, const StopSignal &stop,
                   std::chrono::milliseconds ioTimeout);
    ~LoopbackStream() override;
    LoopbackStream(const LoopbackStream &) = delete;
    LoopbackStream &operator=(const LoopbackStream &) = delete;

    /*! Completes the TLS handshake; true at once for a plain connection. */
    bool handshake();
    /*! Waits up to \a idle for the next request's first bytes (keep-alive). */
    bool waitForRequest(std::chrono::milliseconds idle);
    /*! Starts capturing the bytes read until the blank line that ends a request head. */
    void startCapture();
    QByteArray capturedHead() const { return m_head; }
    /*! Closes the connection; with \a reset the peer sees a TCP reset instead of an orderly end. */
    void close(bool reset);

    bool is_readable() const override;
    bool is_writable() const override;
    ssize_t read(char *ptr, size_t size) override;
    ssize_t write(const char *ptr, size_t size) override;
    void get_remote_ip_and_port(std::string &ip, int &port) const override;
    void get_local_ip_and_port(std::string &ip, int &port) const override;
    socket_t socket() const override { return m_socket; }

private:
    enum class Wait { Ready, TimedOut, Stopped };

    Wait waitForSocket(short events, std::chrono::milliseconds timeout) const;
    bool peerHasGone() const;
    bool fillBuffer();
    ssize_t writeSome(const char *ptr, size_t size);
    void capture(const char *ptr, size_t size);

    int m_socket;
    SSL *m_ssl;
    const StopSignal &m_stop;
    std::chrono::milliseconds m_ioTimeout;
    QByteArray m_buffer;
    qsizetype m_bufferPos = 0;
    QByteArray m_head;
    bool m_capturing = false;
};
