#include "RouterData.h"

#include "Utf8.h"

#include <QChar>

namespace RouterData {

namespace {

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
        if (!isPatternSpace(Utf8::decodeAt(page, pos, &length)))
            break;
        pos += length;
    }
    return pos;
}

// Position of the "{" that opens the first assignment to _ROUTER_DATA, or -1.
qsizetype objectStart(QByteArrayView page)
{
    constexpr QByteArrayView name("_ROUTER_DATA");
    for (qsizetype at = page.indexOf(name); at >= 0; at = page.indexOf(name, at + 1)) {
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
    const qsizetype closing = page.indexOf(QByteArrayView("};"), start + 1);
    if (closing < 0)
        return std::nullopt;
    return page.sliced(start, closing + 1 - start);
}

} // namespace RouterData
