#pragma once

#include <QByteArrayView>

/*! \brief UTF-8 helpers for scanning response bodies as bytes. */
namespace Utf8 {

/*! True when \a bytes are well-formed UTF-8: no stray continuation bytes, no truncated, overlong
 *  or surrogate sequences, nothing above U+10FFFF. The empty array is valid. */
bool isValid(QByteArrayView bytes) noexcept;

/*! The code point that starts at \a pos of the well-formed UTF-8 in \a bytes, and its length in
 *  bytes through \a length. */
char32_t decodeAt(QByteArrayView bytes, qsizetype pos, qsizetype *length) noexcept;

} // namespace Utf8
