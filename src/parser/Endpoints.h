#pragma once

#include <QString>
#include <QUrl>

/*!
 * \brief Where the video platform lives: its short-link host, the origin of its share pages and
 * its web origin (named in the Referer and in play addresses).
 *
 * The default value is the real platform. Tests and the demo point it at the sample platform.
 */
struct Endpoints
{
    /*! Host of the short links, optionally with ":port" (no scheme): short links are https. */
    QString shortLinkHost = QStringLiteral("v.douyin.com");
    /*! Scheme, host and optional port of the share pages, without a trailing slash. */
    QString shareOrigin = QStringLiteral("https://www.iesdouyin.com");
    /*! Scheme, host and optional port of the web site, without a trailing slash. */
    QString webOrigin = QStringLiteral("https://www.douyin.com");

    friend bool operator==(const Endpoints &a, const Endpoints &b)
    {
        return a.shortLinkHost == b.shortLinkHost && a.shareOrigin == b.shareOrigin
            && a.webOrigin == b.webOrigin;
    }
    friend bool operator!=(const Endpoints &a, const Endpoints &b) { return !(a == b); }
};
