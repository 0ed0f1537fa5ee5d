#pragma once

#include "Endpoints.h"

#include <QString>

#include <optional>

/*!
 * \brief The input steps of the parse and paste actions, as pure functions so the window and the
 * command-line tool share them.
 */
namespace ShareText {

/*! True when \a text already is a play address: it contains both "/play/" and "line=1". */
bool isDirectPlayAddress(const QString &text);

/*! The first short link ("https://<short-link host>/<code>/", the code made of word characters and
 *  '-') in \a text, or nothing. */
std::optional<QString> extractDouyinURLFromString(const QString &text, const Endpoints &endpoints);

/*! What the parse action hands to the parser for the text-field content \a input: a text holding
 *  "抖音" is cut down to its short link (possibly to nothing); any other text goes on unchanged.
 *  Does not test for a direct play address (the caller does that first). */
std::optional<QString> parserInput(const QString &input, const Endpoints &endpoints);

/*! The link the paste action picks out of a pasteboard text: the first match of "https.+/" (up to
 *  the last "/" of its line) that is longer than 10 characters, or nothing. */
std::optional<QString> pickLinkFromPastedText(const QString &text);

} // namespace ShareText
