#include "AddressExpiry.h"

#include <QRegularExpression>
#include <QUrlQuery>

using namespace Qt::StringLiterals;

namespace AddressExpiry {

namespace {

std::optional<QDateTime> fromSeconds(qint64 seconds)
{
    if (seconds <= 0)
        return std::nullopt;
    return QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC);
}

std::optional<QDateTime> fromPath(const QString &path)
{
    static const QRegularExpression hashThenTime(u"/[0-9a-fA-F]{32}/([0-9a-fA-F]{8})(?:/|$)"_s);
    const QRegularExpressionMatch match = hashThenTime.match(path);
    if (!match.hasMatch())
        return std::nullopt;
    bool ok = false;
    const qint64 seconds = match.captured(1).toLongLong(&ok, 16);
    return ok ? fromSeconds(seconds) : std::nullopt;
}

std::optional<QDateTime> fromQuery(const QUrl &url)
{
    const QString value = QUrlQuery(url).queryItemValue(u"x-expires"_s);
    bool ok = false;
    const qint64 seconds = value.toLongLong(&ok);
    return ok ? fromSeconds(seconds) : std::nullopt;
}

} // namespace

std::optional<QDateTime> of(const QUrl &url)
{
    if (const std::optional<QDateTime> inPath = fromPath(url.path()))
        return inPath;
    return fromQuery(url);
}

bool isExpired(const QUrl &url, const QDateTime &now, qint64 marginSeconds)
{
    const std::optional<QDateTime> expiry = of(url);
    return expiry && *expiry <= now.addSecs(marginSeconds);
}

} // namespace AddressExpiry
