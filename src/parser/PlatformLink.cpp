#include "PlatformLink.h"

#include <QRegularExpression>
#include <QUrl>
#include <QUrlQuery>

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
    if (isPlatformHost(url, endpoints)) {
        // "/video/<id>", "/note/<id>" on the web site; "/share/{video,note,slides}/<id>/" on the
        // share pages (www.iesdouyin.com, m.douyin.com).
        static const QRegularExpression itemPath(
            QStringLiteral("^/(?:share/)?(video|note|slides)/([0-9]+)"));
        const QRegularExpressionMatch match = itemPath.match(url.path());
        const QString modalId
            = leadingDigits(QUrlQuery(url).queryItemValue(QStringLiteral("modal_id")));
        if (match.hasMatch() || !modalId.isEmpty()) {
            link.m_kind = Kind::ItemLink;
            link.m_videoId = match.hasMatch() ? match.captured(2) : modalId;
            link.m_gallery = match.hasMatch() && match.captured(1) != u"video";
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
