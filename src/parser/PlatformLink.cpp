#include "PlatformLink.h"

#include <QRegularExpression>
#include <QUrl>
#include <QUrlQuery>

#include <array>

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

bool isShortLinkHost(const QUrl &url, const Endpoints &endpoints)
{
    return url.host() == u"v.douyin.com" || url.host() == u"jx.douyin.com"
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

// The paths of the item links on the platform's hosts; the video ID is the first capture.
struct ItemForm
{
    QRegularExpression path;
    bool gallery;
};

const std::array<ItemForm, 5> &itemForms()
{
    static const std::array<ItemForm, 5> forms { {
        // www.douyin.com/video/<id>
        { QRegularExpression(QStringLiteral("^/video/([0-9]+)")), false },
        // www.douyin.com/note/<id>, www.douyin.com/slides/<id>
        { QRegularExpression(QStringLiteral("^/(?:note|slides)/([0-9]+)")), true },
        // the share pages: www.iesdouyin.com/share/video/<id>/, m.douyin.com/share/video/<id>
        { QRegularExpression(QStringLiteral("^/share/video/([0-9]+)")), false },
        { QRegularExpression(QStringLiteral("^/share/(?:note|slides)/([0-9]+)")), true },
        // jingxuan.douyin.com/m/video/<id>
        { QRegularExpression(QStringLiteral("^/m/video/([0-9]+)")), false },
    } };
    return forms;
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
        for (const ItemForm &form : itemForms()) {
            const QRegularExpressionMatch match = form.path.match(url.path());
            if (match.hasMatch()) {
                link.m_kind = Kind::ItemLink;
                link.m_videoId = match.captured(1);
                link.m_gallery = form.gallery;
                return link;
            }
        }
        // Any page may show an item over itself ("?modal_id=<id>", as jingxuan links do).
        const QString modalId
            = leadingDigits(QUrlQuery(url).queryItemValue(QStringLiteral("modal_id")));
        if (!modalId.isEmpty()) {
            link.m_kind = Kind::ItemLink;
            link.m_videoId = modalId;
            return link;
        }
    }
    static const QRegularExpression shortPath(QStringLiteral("^/[A-Za-z0-9_-]+/?$"));
    if (isShortLinkHost(url, endpoints) && shortPath.match(url.path()).hasMatch())
        link.m_kind = Kind::ShortLink;
    return link;
}

std::optional<QString> PlatformLink::findFirst(const QString &text, const Endpoints &endpoints)
{
    // Links run to the next tab, line feed, form feed, carriage return or Unicode separator.
    static const QRegularExpression links(QStringLiteral("https?://[^\\t\\n\\f\\r\\p{Z}]+"));
    // A short code ends at its slash: what sticks to it (a "+" and a second link, punctuation)
    // is not part of the link.
    static const QRegularExpression shortLink(QStringLiteral("^https://[^/?#]+/[A-Za-z0-9_-]+/"));
    QRegularExpressionMatchIterator candidates = links.globalMatch(text);
    while (candidates.hasNext()) {
        const QString candidate = candidates.next().captured();
        if (classify(QUrl(candidate), endpoints).kind() == Kind::ItemLink)
            return candidate;
        const QRegularExpressionMatch shortMatch = shortLink.match(candidate);
        if (shortMatch.hasMatch()
            && classify(QUrl(shortMatch.captured()), endpoints).kind() == Kind::ShortLink)
            return shortMatch.captured();
    }
    return std::nullopt;
}

bool PlatformLink::isPlayAddress(const QString &text)
{
    const QUrl url(text.trimmed(), QUrl::StrictMode);
    return isHttp(url) && hasPlayPath(url);
}
