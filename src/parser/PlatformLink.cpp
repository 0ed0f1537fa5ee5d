#include "PlatformLink.h"

#include <QRegularExpression>
#include <QUrl>
#include <QUrlQuery>

#include <algorithm>
#include <iterator>
#include <vector>

namespace {

bool isHttp(const QUrl &url)
{
    return url.isValid() && (url.scheme() == u"https" || url.scheme() == u"http")
        && !url.host().isEmpty();
}

int effectivePort(const QUrl &url)
{
    return url.port(url.scheme() == u"http" ? 80 : 443);
}

bool sameHostAndPort(const QUrl &url, const QUrl &origin)
{
    return !origin.host().isEmpty() && url.host() == origin.host()
        && effectivePort(url) == effectivePort(origin);
}

bool inDomain(const QString &host, const QString &domain)
{
    return host == domain || host.endsWith(u'.' + domain);
}

bool hasPlayPath(const QUrl &url)
{
    return url.path() == u"/aweme/v1/play/"
        && !QUrlQuery(url).queryItemValue(QStringLiteral("video_id")).isEmpty();
}

QUrl shortLinkOrigin(const Endpoints &endpoints)
{
    return QUrl(u"https://" + endpoints.shortLinkHost);
}

bool isPlatformHost(const QUrl &url, const Endpoints &endpoints)
{
    return inDomain(url.host(), QStringLiteral("douyin.com"))
        || inDomain(url.host(), QStringLiteral("iesdouyin.com"))
        || sameHostAndPort(url, QUrl(endpoints.shareOrigin))
        || sameHostAndPort(url, QUrl(endpoints.webOrigin))
        || sameHostAndPort(url, shortLinkOrigin(endpoints));
}

// The leading ASCII digits of \a text.
QString leadingDigits(const QString &text)
{
    qsizetype length = 0;
    while (length < text.size() && text.at(length) >= u'0' && text.at(length) <= u'9')
        ++length;
    return text.left(length);
}

// The hosts of the platform's short links, besides the configured one.
constexpr QStringView shortLinkHosts[] = { u"v.douyin.com", u"jx.douyin.com" };

bool isShortLinkHost(const QUrl &url, const Endpoints &endpoints)
{
    return std::find(std::cbegin(shortLinkHosts), std::cend(shortLinkHosts), url.host())
        != std::cend(shortLinkHosts)
        || sameHostAndPort(url, shortLinkOrigin(endpoints));
}

// A long link that holds the video ID, on any platform host: either a path whose first capture
// is the ID, or a query item whose leading digits are.
struct ItemLinkForm
{
    QStringView pathPattern; // empty for a query form
    QStringView queryItem; // empty for a path form
    bool gallery;
};

// Every form of long link, one a row: add a row for a new one.
constexpr ItemLinkForm itemLinkForms[] = {
    // The web site's pages.
    { u"^/video/([0-9]+)", {}, false },
    { u"^/(?:note|slides)/([0-9]+)", {}, true },
    // The share pages (www.iesdouyin.com, m.douyin.com).
    { u"^/share/video/([0-9]+)", {}, false },
    { u"^/share/(?:note|slides)/([0-9]+)", {}, true },
    // The mobile pages of jingxuan.douyin.com.
    { u"^/m/video/([0-9]+)", {}, false },
    // Pages that show the item over another one: /jingxuan, /discover, /user/….
    { {}, u"modal_id", false },
};

// The video ID of \a url in the form of row \a row, or an empty text.
QString videoIdIn(const QUrl &url, std::size_t row)
{
    // The path patterns, compiled once (an empty one for a query form).
    static const std::vector<QRegularExpression> pathPatterns = [] {
        std::vector<QRegularExpression> compiled;
        for (const ItemLinkForm &form : itemLinkForms)
            compiled.emplace_back(form.pathPattern.toString());
        return compiled;
    }();
    const ItemLinkForm &form = itemLinkForms[row];
    if (!form.queryItem.isEmpty())
        return leadingDigits(QUrlQuery(url).queryItemValue(form.queryItem.toString()));
    return pathPatterns.at(row).match(url.path()).captured(1);
}

} // namespace

PlatformLink PlatformLink::classify(const QUrl &url, const Endpoints &endpoints)
{
    PlatformLink link;
    if (!isHttp(url))
        return link;
    if (hasPlayPath(url)) {
        link.m_kind = Kind::PlayAddress;
        return link;
    }
    link.m_onPlatform = isPlatformHost(url, endpoints);
    if (link.m_onPlatform) {
        for (std::size_t row = 0; row < std::size(itemLinkForms); ++row) {
            const QString videoId = videoIdIn(url, row);
            if (!videoId.isEmpty()) {
                link.m_kind = Kind::ItemLink;
                link.m_videoId = videoId;
                link.m_gallery = itemLinkForms[row].gallery;
                return link;
            }
        }
    }
    static const QRegularExpression shortPath(QStringLiteral("^/[A-Za-z0-9_-]+/?$"));
    if (isShortLinkHost(url, endpoints) && shortPath.match(url.path()).hasMatch())
        link.m_kind = Kind::ShortLink;
    return link;
}

std::optional<QString> PlatformLink::findFirst(const QString &text, const Endpoints &endpoints)
{
    const QStringList links = findAll(text, endpoints, 1);
    if (links.isEmpty())
        return std::nullopt;
    return links.first();
}

QStringList PlatformLink::findAll(const QString &text, const Endpoints &endpoints, qsizetype limit)
{
    // Links run to the next tab, line feed, form feed, carriage return or Unicode separator.
    static const QRegularExpression links(QStringLiteral("https?://[^\\t\\n\\f\\r\\p{Z}]+"));
    // A short code ends at its slash: what sticks to it (a "+" and a second link, punctuation)
    // is not part of the link.
    static const QRegularExpression shortLink(QStringLiteral("^https://[^/?#]+/[A-Za-z0-9_-]+/"));
    QStringList found;
    QRegularExpressionMatchIterator candidates = links.globalMatch(text);
    while (candidates.hasNext() && (limit < 0 || found.size() < limit)) {
        const QString candidate = candidates.next().captured();
        if (classify(QUrl(candidate), endpoints).kind() == Kind::ItemLink) {
            found.append(candidate);
            continue;
        }
        const QRegularExpressionMatch shortMatch = shortLink.match(candidate);
        if (shortMatch.hasMatch()
            && classify(QUrl(shortMatch.captured()), endpoints).kind() == Kind::ShortLink)
            found.append(shortMatch.captured());
    }
    return found;
}

bool PlatformLink::isPlayAddress(const QString &text)
{
    const QUrl url(text.trimmed(), QUrl::StrictMode);
    return isHttp(url) && hasPlayPath(url);
}
