#pragma once

#include <QDateTime>
#include <QUrl>

#include <optional>

/*!
 * \brief When a media address of the platform's CDN stops working, as the address itself says.
 *
 * Video and clip addresses carry the time (Unix seconds, 8 hex digits) as the path segment after a
 * 32-hex-digit hash; picture addresses carry it as the "x-expires" query value (decimal). A long
 * batch or a resumed ".part" may meet an address past that time, which the CDN answers with 403:
 * knowing it beforehand lets a download resolve its item again instead of failing.
 */
namespace AddressExpiry {

/*! The moment \a url expires, or nothing when it does not say. */
std::optional<QDateTime> of(const QUrl &url);

/*! True when \a url says it expires before \a now plus \a margin seconds. */
bool isExpired(const QUrl &url, const QDateTime &now, qint64 marginSeconds = 60);

} // namespace AddressExpiry
