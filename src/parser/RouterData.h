#pragma once

#include <QByteArrayView>

#include <optional>

/*!
 * \brief Finds the router data, the JSON object that a share page's inline script assigns to
 * `_ROUTER_DATA`, in the page's UTF-8 bytes without decoding the page.
 */
namespace RouterData {

/*!
 * The router data's text in \a page (well-formed UTF-8), outer braces included, or nothing.
 *
 * The object starts at the "{" of the first `_ROUTER_DATA` followed by optional white space, "=",
 * optional white space and "{". It ends where that object's braces balance, strings and their
 * escapes skipped. When they never balance, the text up to the first "};" after the "{" is taken
 * (it is not valid JSON then, so reading it fails).
 */
std::optional<QByteArrayView> cut(QByteArrayView page);

} // namespace RouterData
