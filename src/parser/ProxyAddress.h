#pragma once

#include <QNetworkProxy>
#include <QString>

/*!
 * \brief A proxy written as a URL: http://HOST[:PORT] or socks5://HOST[:PORT] (socks5h:// too),
 * with a user and password when given. The port defaults to 8080 for HTTP and 1080 for SOCKS5.
 */
class ProxyAddress
{
public:
    /*! The proxy \a text names, or a proxy of type DefaultProxy when the text is not one. */
    static QNetworkProxy parse(const QString &text);
};
