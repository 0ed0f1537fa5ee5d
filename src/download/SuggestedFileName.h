#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

class QNetworkReply;

/*!
 * \brief The file name a download is saved under, and the safe handling of such names.
 *
 * A response suggests its name through Content-Disposition (`filename*` before `filename`), else
 * through the last path segment of its final address, else it is "Unknown". The extension is the
 * one of the type sniffed from the body's first bytes (".mp4" for MP4 video, ".jpg", ".png",
 * ".webp" for images): a name whose extension says otherwise gets that one instead, so a server
 * cannot have "run.desktop" or "install.sh" saved. Only when nothing could be sniffed does an
 * extension from the Content-Type fill a missing one. Every name that leaves here is one safe file
 * name: no path separators, no control characters, no invisible or direction marks, no leading
 * dot, at most maxBytes bytes of UTF-8.
 */
namespace SuggestedFileName {

/*! The longest name in bytes of UTF-8; well under the 255 bytes file systems allow, leaving room
 *  for the suffixes of temporary files. */
constexpr int maxBytes = 200;

/*! The name suggested by \a reply (its headers and its final address) for a body that starts
 *  with \a firstBytes. */
QString fromReply(const QNetworkReply &reply, const QByteArray &firstBytes);

/*! The name suggested by a response with these headers, received from \a finalUrl, whose body
 *  starts with \a firstBytes (may be empty: nothing sniffed). */
QString fromHeaders(const QByteArray &contentDisposition, const QUrl &finalUrl,
                    const QByteArray &contentType, const QByteArray &firstBytes = {});

/*! \a name made safe, its extension replaced by the one of the type sniffed from \a firstBytes
 *  when that type is known and the extension is none of its own. */
QString withContentExtension(const QString &name, const QByteArray &firstBytes);

/*! The extension (without the dot) for content starting with \a firstBytes; empty when its
 *  type is not known. */
QString sniffedSuffix(const QByteArray &firstBytes);

/*! The file name a Content-Disposition value carries, unsanitised; empty when it has none. */
QString fromContentDisposition(const QByteArray &contentDisposition);

/*! \a text cut on a character (grapheme) boundary to at most \a bytes bytes of UTF-8. */
QString shortened(const QString &text, qsizetype bytes);

/*! \a name without the characters no file name keeps: control characters, line and paragraph
 *  separators, invisible formatting and direction marks, lone surrogates. */
QString withoutForbidden(QStringView name);

/*! \a name made into one safe file name; "Unknown" when nothing usable is left. */
QString sanitize(const QString &name);

/*! \a name itself for \a number 0, else "stem (number).ext", within maxBytes. */
QString numbered(const QString &name, int number);

/*!
 * Creates an empty file in \a directory under \a name or, when that is taken, the first free
 * numbered() variant, and returns its path (empty when no file could be created). Creation fails
 * when the file exists, so two callers never get the same path.
 */
QString claimUnique(const QString &directory, const QString &name);

} // namespace SuggestedFileName
