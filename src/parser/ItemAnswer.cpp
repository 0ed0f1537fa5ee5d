#include "ItemAnswer.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

using Kind = FailureReason::Kind;

bool isScriptCheck(QByteArrayView body)
{
    return body.size() <= ItemAnswer::maximumJudgedSize && body.contains("__ac_nonce");
}

// The object \a json holds, when it is one and small enough to be judged.
QJsonObject smallObject(QByteArrayView json)
{
    if (json.size() > ItemAnswer::maximumJudgedSize)
        return {};
    return QJsonDocument::fromJson(QByteArray::fromRawData(json.data(), json.size())).object();
}

// The filter that an answer (or the router data's videoInfoRes) holds: its first "filter_list"
// entry or its "filter_detail" object.
std::optional<QJsonObject> filterOf(const QJsonObject &answer)
{
    const QJsonArray list = answer.value(u"filter_list").toArray();
    if (!list.isEmpty() && list.first().isObject())
        return list.first().toObject();
    const QJsonValue detail = answer.value(u"filter_detail");
    if (detail.isObject() && !detail.toObject().isEmpty())
        return detail.toObject();
    return std::nullopt;
}

// Why \a answer holds no item, when it says; \a where names the answer in the detail.
std::optional<FailureReason> judged(const QJsonObject &answer, const QString &where)
{
    const double statusCode = answer.value(u"status_code").toDouble();
    if (const std::optional<Kind> kind = ItemAnswer::statusCodeKind(statusCode)) {
        return FailureReason(*kind,
                             ItemAnswer::tr("%1 has status_code %2 (%3)")
                                 .arg(where)
                                 .arg(statusCode)
                                 .arg(answer.value(u"status_msg").toString()));
    }
    const std::optional<QJsonObject> filter = filterOf(answer);
    if (!filter)
        return std::nullopt;
    const QJsonValue reasonValue = filter->contains(u"filter_reason")
        ? filter->value(u"filter_reason")
        : filter->value(u"reason");
    const QString reason
        = reasonValue.isString() ? reasonValue.toString() : reasonValue.toVariant().toString();
    return FailureReason(ItemAnswer::filterKind(reason),
                         ItemAnswer::tr("%1 filters the item (reason \"%2\", \"%3\")")
                             .arg(where, reason, filter->value(u"detail_msg").toString()));
}

} // namespace

FailureReason ItemAnswer::endpointFailure(int status, QByteArrayView body)
{
    if (status == 429)
        return { Kind::RateLimited, tr("the item endpoint answered HTTP 429") };
    if (status == 403) {
        const bool argus = body.startsWith("Blocked by ArgusSecurityPlugin");
        return { Kind::Refused,
                 argus ? tr("the item endpoint answered HTTP 403, blocked by its security plugin")
                       : tr("the item endpoint answered HTTP 403") };
    }
    if (isScriptCheck(body))
        return { Kind::Refused, tr("the item endpoint answered with a script check") };
    if (status < 300 && body.trimmed().isEmpty())
        return { Kind::Refused, tr("the item endpoint answered with an empty body") };
    if (status >= 400)
        return { Kind::HttpStatus, tr("the item endpoint answered HTTP %1").arg(status) };
    if (const std::optional<FailureReason> reason
        = judged(smallObject(body), tr("the item endpoint's answer")))
        return *reason;
    return { Kind::PlatformChanged, tr("the item endpoint's answer holds no item") };
}

std::optional<FailureReason> ItemAnswer::pageFailure(int status, QByteArrayView body,
                                                     std::optional<QByteArrayView> routerData)
{
    if (status == 429)
        return FailureReason(Kind::RateLimited, tr("the share page answered HTTP 429"));
    if (!routerData && isScriptCheck(body))
        return FailureReason(Kind::Refused, tr("the share page is a script check"));
    if (!routerData)
        return std::nullopt;
    const QJsonObject videoInfo = smallObject(*routerData)
                                      .value(u"loaderData")
                                      .toObject()
                                      .value(u"video_(id)/page")
                                      .toObject()
                                      .value(u"videoInfoRes")
                                      .toObject();
    return judged(videoInfo, tr("the share page's router data"));
}

std::optional<FailureReason> ItemAnswer::itemFailure(const JsonItemReader::Item &item)
{
    if (item.isDeleted)
        return FailureReason(Kind::Removed, tr("the item's status says it is deleted"));
    if (item.privateStatus == 1)
        return FailureReason(Kind::Private, tr("the item's private_status is 1"));
    if (item.privateStatus == 2)
        return FailureReason(Kind::FriendsOnly, tr("the item's private_status is 2"));
    return std::nullopt;
}

FailureReason ItemAnswer::neitherRoad(const FailureReason &page, const FailureReason &endpoint)
{
    const auto both = [](const FailureReason &first, const FailureReason &second) {
        return FailureReason(first.isAboutTheItem() ? first.kind() : Kind::PlatformChanged,
                             tr("%1, and %2").arg(first.detail(), second.detail()));
    };
    if (endpoint.kind() == Kind::PlatformChanged && page.kind() != Kind::PlatformChanged)
        return both(page, endpoint);
    return both(endpoint, page);
}

FailureReason::Kind ItemAnswer::filterKind(const QString &reason)
{
    const QString name = reason.toLower();
    const auto has = [&name](QStringView word) { return name.contains(word); };
    if (has(u"story"))
        return Kind::ExpiredStory;
    if (has(u"delete"))
        return Kind::Removed;
    if (has(u"friend"))
        return Kind::FriendsOnly;
    if (has(u"private") || has(u"self"))
        return Kind::Private;
    if (has(u"copyright") || has(u"region") || has(u"foreign") || has(u"area"))
        return Kind::NotAvailableHere;
    return Kind::Withheld;
}

std::optional<FailureReason::Kind> ItemAnswer::statusCodeKind(double statusCode)
{
    if (statusCode == 8)
        return Kind::LoginRequired;
    if (statusCode == 2154 || statusCode == 2156 || statusCode == 10000 || statusCode == 10001)
        return Kind::RateLimited;
    return std::nullopt;
}
