#pragma once

#include "FailureReason.h"
#include "JsonItemReader.h"

#include <QByteArrayView>
#include <QCoreApplication>

#include <optional>

/*!
 * \brief Says why an answer of the platform holds no item: the item was deleted, is private,
 * is withheld (and why), or the platform wants a login, limits the requests or refuses scripted
 * clients. Pure functions of what was received.
 *
 * The signs read are those the platform gives: an HTTP status of 429 or 403 (the signed
 * endpoints' "Blocked by ArgusSecurityPlugin"), a script-check page (HTML that sets the
 * "__ac_nonce" cookie and asks the browser to run a challenge) in place of an answer, an answer's
 * "status_code" (8: log in; 2154, 2156, 10000, 10001: risk control), its "filter_list" or
 * "filter_detail" and their reason, and an item's "status" ("is_delete", "private_status"). An
 * answer is read for them only up to maximumJudgedSize bytes: one that says why holds little
 * else.
 */
class ItemAnswer
{
    Q_DECLARE_TR_FUNCTIONS(ItemAnswer)

public:
    static constexpr qsizetype maximumJudgedSize = 1024 * 1024;

    /*! Why the item endpoint's answer, \a body with \a status, holds no item. */
    static FailureReason endpointFailure(int status, QByteArrayView body);
    /*! Why a share page answered with \a status, whose \a body holds no item, holds none, when it
     *  says: \a routerData is the page's router data, if it has any. */
    static std::optional<FailureReason> pageFailure(int status, QByteArrayView body,
                                                    std::optional<QByteArrayView> routerData);
    /*! Why \a item, though it was served, is not there for the public: deleted or private. */
    static std::optional<FailureReason> itemFailure(const JsonItemReader::Item &item);
    /*! Why neither the share page (\a page) nor the item endpoint (\a endpoint) gave the item: a
     *  reason the platform gave wins over its absence, the endpoint's over the page's. What only
     *  says that a road had nothing (an error status, a page that is not UTF-8) becomes
     *  PlatformChanged: people learn that the post was not found, the detail keeps the rest. */
    static FailureReason neitherRoad(const FailureReason &page, const FailureReason &endpoint);

    /*! The kind a filter's \a reason ("status_deleted", "story_25_filter", …) stands for. */
    static FailureReason::Kind filterKind(const QString &reason);
    /*! The kind an answer's non-zero \a statusCode stands for, if it says anything. */
    static std::optional<FailureReason::Kind> statusCodeKind(double statusCode);
};
