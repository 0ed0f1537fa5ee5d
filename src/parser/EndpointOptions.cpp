#include "EndpointOptions.h"

#include "NetworkTrust.h"

#include <QCommandLineParser>
#include <QUrl>

namespace {

bool hasOnlyAuthority(const QUrl &url)
{
    return url.isValid() && !url.host().isEmpty() && url.userInfo().isEmpty()
        && (url.path().isEmpty() || url.path() == u"/") && !url.hasQuery() && !url.hasFragment();
}

// A host with an optional ":port", nothing else.
std::optional<QString> checkedHost(const QString &value)
{
    if (value.contains(u'/') || !hasOnlyAuthority(QUrl(u"https://" % value, QUrl::StrictMode)))
        return std::nullopt;
    return value;
}

// "http" or "https", a host and an optional port; a trailing slash is dropped.
std::optional<QString> checkedOrigin(const QString &value)
{
    const QUrl url(value, QUrl::StrictMode);
    const QString scheme = url.scheme();
    if ((scheme != u"http" && scheme != u"https") || !hasOnlyAuthority(url))
        return std::nullopt;
    return value.endsWith(u'/') ? value.chopped(1) : value;
}

} // namespace

EndpointOptions::EndpointOptions()
    : m_shortLinkHost(QStringLiteral("short-link-host"),
                      QStringLiteral("Host (and :port) of the short links [v.douyin.com]."),
                      QStringLiteral("HOST"))
    , m_shareOrigin(QStringLiteral("share-origin"),
                    QStringLiteral("Origin of the share pages [https://www.iesdouyin.com]."),
                    QStringLiteral("ORIGIN"))
    , m_webOrigin(QStringLiteral("web-origin"),
                  QStringLiteral("Origin of the web site and play addresses "
                                 "[https://www.douyin.com]."),
                  QStringLiteral("ORIGIN"))
    , m_caCertificates(QStringLiteral("ca-certificates"),
                       QStringLiteral("Also trust the CA certificates in this PEM file."),
                       QStringLiteral("FILE"))
{ }

void EndpointOptions::addOptions(QCommandLineParser &parser) const
{
    parser.addOptions(options());
}

QList<QCommandLineOption> EndpointOptions::options() const
{
    return { m_shortLinkHost, m_shareOrigin, m_webOrigin, m_caCertificates };
}

QStringList EndpointOptions::optionNames() const
{
    return m_shortLinkHost.names() + m_shareOrigin.names() + m_webOrigin.names()
        + m_caCertificates.names();
}

bool EndpointOptions::apply(const QCommandLineParser &parser, QString *error)
{
    Endpoints endpoints;
    if (parser.isSet(m_shortLinkHost)) {
        const QString value = parser.value(m_shortLinkHost);
        const std::optional<QString> host = checkedHost(value);
        if (!host) {
            *error = QStringLiteral("--short-link-host: \"%1\" is not a host[:port]").arg(value);
            return false;
        }
        endpoints.shortLinkHost = *host;
    }
    const std::pair<const QCommandLineOption *, QString *> origins[]
        = { { &m_shareOrigin, &endpoints.shareOrigin }, { &m_webOrigin, &endpoints.webOrigin } };
    for (const auto &[option, target] : origins) {
        if (!parser.isSet(*option))
            continue;
        const QString value = parser.value(*option);
        const std::optional<QString> origin = checkedOrigin(value);
        if (!origin) {
            *error = QStringLiteral("--%1: \"%2\" is not an http(s)://host[:port] origin")
                         .arg(option->names().constFirst(), value);
            return false;
        }
        *target = *origin;
    }
    if (parser.isSet(m_caCertificates)
        && !NetworkTrust::addCaCertificates(parser.value(m_caCertificates), error)) {
        *error = u"--ca-certificates: " % *error;
        return false;
    }
    m_endpoints = endpoints;
    return true;
}
