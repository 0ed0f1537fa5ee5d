#include "RouterData.h"

#include <QChar>

#include <cstring>

namespace RouterData {

namespace {

// The code point that starts at \a pos of the well-formed UTF-8 in \a bytes, and its length.
char32_t decodeAt(QByteArrayView view, qsizetype pos, qsizetype *length)
{
    const auto *bytes = reinterpret_cast<const unsigned char *>(view.data());
    const unsigned char lead = bytes[pos];
    if (lead < 0x80) {
        *length = 1;
        return lead;
    }
    const qsizetype count = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
    char32_t codePoint = lead & (0x7F >> count);
    for (qsizetype i = 1; i < count && pos + i < view.size(); ++i)
        codePoint = (codePoint << 6) | (bytes[pos + i] & 0x3F);
    *length = count;
    return codePoint;
}

// White space as the router-data pattern's "\s" means it: tab, line feed, form feed, carriage
// return and the Unicode separators.
bool isPatternSpace(char32_t c)
{
    if (c == u'\t' || c == u'\n' || c == u'\f' || c == u'\r')
        return true;
    switch (QChar::category(c)) {
    case QChar::Separator_Space:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
        return true;
    default:
        return false;
    }
}

qsizetype skipSpace(QByteArrayView page, qsizetype pos)
{
    while (pos < page.size()) {
        qsizetype length = 0;
        if (!isPatternSpace(decodeAt(page, pos, &length)))
            break;
        pos += length;
    }
    return pos;
}

constexpr QByteArrayView routerDataName("_ROUTER_DATA");

// Position of the first \a name at or after \a from, or -1. memchr for the name's first byte and
// a compare is several times faster than a general substring search on script-heavy pages,
// where "_" is rare.
qsizetype find(QByteArrayView page, QByteArrayView name, qsizetype from)
{
    if (page.size() - from < name.size())
        return -1;
    const char *const begin = page.data();
    const char *const last = begin + page.size() - name.size();
    for (const char *at = begin + from; at <= last; ++at) {
        at = static_cast<const char *>(std::memchr(at, name.front(), size_t(last - at) + 1));
        if (!at)
            return -1;
        if (std::memcmp(at, name.data(), size_t(name.size())) == 0)
            return at - begin;
    }
    return -1;
}

// Position of the "{" that opens the first assignment to _ROUTER_DATA, or -1.
qsizetype objectStart(QByteArrayView page)
{
    const QByteArrayView name = routerDataName;
    for (qsizetype at = find(page, name, 0); at >= 0; at = find(page, name, at + 1)) {
        qsizetype pos = skipSpace(page, at + name.size());
        if (pos >= page.size() || page[pos] != '=')
            continue;
        pos = skipSpace(page, pos + 1);
        if (pos < page.size() && page[pos] == '{')
            return pos;
    }
    return -1;
}

// Position just past the "}" that closes the object opened at \a start, or -1.
qsizetype balancedEnd(QByteArrayView page, qsizetype start)
{
    qsizetype depth = 0;
    bool inString = false;
    for (qsizetype pos = start; pos < page.size(); ++pos) {
        const char c = page[pos];
        if (inString) {
            if (c == '\\')
                ++pos;
            else if (c == '"')
                inString = false;
        } else if (c == '"') {
            inString = true;
        } else if (c == '{') {
            ++depth;
        } else if (c == '}' && --depth == 0) {
            return pos + 1;
        }
    }
    return -1;
}

} // namespace

std::optional<QByteArrayView> cut(QByteArrayView page)
{
    const qsizetype start = objectStart(page);
    if (start < 0)
        return std::nullopt;
    // The lazy cut up to the first "};" is valid JSON only when it ends where the braces balance
    // (a valid object closes exactly there). So the balanced object is what that cut yields
    // whenever it yields valid JSON, and also the right object where a page has no ";" after it
    // or holds "};" inside a string.
    const qsizetype end = balancedEnd(page, start);
    if (end >= 0)
        return page.sliced(start, end - start);
    const qsizetype closing = find(page, "};", start + 1);
    if (closing < 0)
        return std::nullopt;
    return page.sliced(start, closing + 1 - start);
}

} // namespace RouterData
