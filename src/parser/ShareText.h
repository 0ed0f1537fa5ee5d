#pragma once

#include "Endpoints.h"

#include <QString>
#include <QStringList>

#include <optional>

/*!
 * \brief The input steps of the parse and paste actions, as pure functions so the window and the
 * command-line tool share them.
 */
namespace ShareText {

/*! The play address \a text already is, or nothing: a text that contains both "/play/" and
 *  "line=1" is one as it stands; a play address as Kivora builds it ("…/aweme/v1/play/?video_id=…",
 *  see PlatformLink::isPlayAddress) is one with the white space around it left out. */
std::optional<QString> directPlayAddress(const QString &text);

/*! The first platform link in \a text (see PlatformLink::findFirst): a short link
 *  ("https://<short-link host>/<code>/", the code made of ASCII letters, digits, '_' and '-') or a
 *  long link that holds the video ID; nothing when there is none. */
std::optional<QString> extractDouyinURLFromString(const QString &text, const Endpoints &endpoints);

/*! What the parse action hands to the parser for the text-field content \a input: a text holding
 *  "抖音" is cut down to its platform link (possibly to nothing); any other text goes on unchanged.
 *  Does not look for a direct play address (the caller does that first). */
std::optional<QString> parserInput(const QString &input, const Endpoints &endpoints);

/*! The link the paste action picks out of a pasteboard text: the first match of "https.+/" (up to
 *  the last "/" of its line) that is longer than 10 characters, or nothing. */
std::optional<QString> pickLinkFromPastedText(const QString &text);

/*! What the paste action puts into the field for a pasteboard \a text: its first platform link
 *  (extractDouyinURLFromString()), whole, so that a long link keeps the ID at its end; else what
 *  pickLinkFromPastedText() picks. */
std::optional<QString> linkFromPastedText(const QString &text, const Endpoints &endpoints);

/*! The inputs a paste or a drop of \a text adds to the download queue: every platform link it
 *  holds and every line that is a video ID alone, in order and each once. */
QStringList queueInputs(const QString &text, const Endpoints &endpoints);

} // namespace ShareText
