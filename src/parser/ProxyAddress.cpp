#include "ProxyAddress.h"

#include <QUrl>

using namespace Qt::StringLiterals;

QNetworkProxy ProxyAddress::parse(const QString &text)
{
    const QUrl url(text, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    const bool socks = scheme == u"socks5"_s || scheme == u"socks5h"_s;
    if (!url.isValid() || url.host().isEmpty() || (!socks && scheme != u"http"_s))
        return QNetworkProxy(QNetworkProxy::DefaultProxy);
    return QNetworkProxy(socks ? QNetworkProxy::Socks5Proxy : QNetworkProxy::HttpProxy, url.host(),
                         quint16(url.port(socks ? 1080 : 8080)), url.userName(), url.password());
}
