#include "JsonItemReader.h"

#include <QStringDecoder>

#include <algorithm>
#include <cstring>
#include <iterator>

using namespace Qt::StringLiterals;

namespace {

using Item = JsonItemReader::Item;

// Deeper nesting is an error, as for QJsonDocument.
constexpr int nestingLimit = 1024;
// An escaped key spends at most six bytes ("\uXXXX") on one UTF-16 unit: a longer one cannot be
// any name looked for.
constexpr qsizetype maximumBytesPerUnit = 6;

constexpr QByteArrayView byteOrderMark("\xEF\xBB\xBF");

const QLatin1StringView routerDataPath[]
    = { "loaderData"_L1, "video_(id)/page"_L1, "videoInfoRes"_L1, "item_list"_L1 };
const QLatin1StringView itemAnswerPath[] = { "aweme_details"_L1 };

bool isJsonSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

int hexValue(char c)
{
    if (isDigit(c))
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// A string of the text as written between its quotes; the scan has checked its escapes.
struct RawString
{
    QByteArrayView bytes;
    bool escaped = false;

    QString decoded() const
    {
        // One byte order mark that opens an unescaped string is dropped, as QJsonValue::toString()
        // drops it; an escaped string keeps every one.
        if (!escaped)
            return QString::fromUtf8(bytes);
        // Never more UTF-16 units than bytes.
        QString text(bytes.size(), Qt::Uninitialized);
        QChar *out = text.data();
        QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom);
        const char *at = bytes.data();
        const char *const end = at + bytes.size();
        while (at < end) {
            const auto *backslash
                = static_cast<const char *>(std::memchr(at, '\\', size_t(end - at)));
            const char *const plainEnd = backslash ? backslash : end;
            out = decoder.appendToBuffer(out, QByteArrayView(at, plainEnd - at));
            if (!backslash)
                break;
            at = unescape(backslash, &out);
        }
        text.truncate(out - text.constData());
        return text;
    }

    bool is(QLatin1StringView name) const
    {
        if (escaped)
            return bytes.size() <= maximumBytesPerUnit * name.size() && decoded() == name;
        // Compared as written: a QJsonObject lookup keeps a byte order mark that opens a key
        // (though its keys() drop it), so such a key is another name.
        return bytes == QByteArrayView(name.data(), name.size());
    }

private:
    // Writes what the escape at \a backslash stands for at \a out (and moves it on); returns the
    // end of the escape.
    static const char *unescape(const char *backslash, QChar **out)
    {
        const char kind = backslash[1];
        char16_t unit = 0;
        switch (kind) {
        case 'b':
            unit = u'\b';
            break;
        case 'f':
            unit = u'\f';
            break;
        case 'n':
            unit = u'\n';
            break;
        case 'r':
            unit = u'\r';
            break;
        case 't':
            unit = u'\t';
            break;
        case 'u':
            for (int i = 2; i < 6; ++i)
                unit = char16_t(unit * 16 + hexValue(backslash[i]));
            // Kept as it is, a lone surrogate too, as QJsonDocument keeps it.
            *(*out)++ = QChar(unit);
            return backslash + 6;
        default: // any other character stands for itself, as QJsonDocument reads it
            unit = char16_t(kind);
        }
        *(*out)++ = QChar(unit);
        return backslash + 2;
    }
};

// The parse. Every read starts at the first byte of a value (white space skipped) and ends just
// past it; "depth" is the number of objects and arrays around that value. A syntax error moves
// the cursor to the end and fails every read that follows.
class Reader
{
public:
    explicit Reader(QByteArrayView text) : m_at(text.data()), m_end(text.data() + text.size()) { }

    JsonItemReader::Reading read(JsonItemReader::Path path)
    {
        // One byte order mark may open the text.
        if (QByteArrayView(m_at, m_end - m_at).startsWith(byteOrderMark))
            m_at += byteOrderMark.size();
        skipSpace();
        if (!at('{'))
            return {};
        std::optional<Item> item = path == JsonItemReader::Path::RouterData
            ? itemAt(0, std::begin(routerDataPath), std::end(routerDataPath))
            : itemAt(0, std::begin(itemAnswerPath), std::end(itemAnswerPath));
        skipSpace();
        if (m_failed || m_at != m_end)
            return {};
        return { true, std::move(item) };
    }

private:
    bool at(char c) const { return m_at < m_end && *m_at == c; }

    bool fail()
    {
        m_failed = true;
        m_at = m_end;
        return false;
    }

    void skipSpace()
    {
        while (m_at < m_end && isJsonSpace(*m_at))
            ++m_at;
    }

    void skipDigits()
    {
        while (m_at < m_end && isDigit(*m_at))
            ++m_at;
    }

    // The members of the object at the cursor; onMember(key) reads each value.
    template<typename OnMember>
    bool members(int depth, OnMember onMember)
    {
        if (depth >= nestingLimit)
            return fail();
        ++m_at;
        skipSpace();
        if (at('}')) {
            ++m_at;
            return true;
        }
        for (;;) {
            RawString key;
            if (!at('"') || !string(&key))
                return fail();
            skipSpace();
            if (!at(':'))
                return fail();
            ++m_at;
            skipSpace();
            onMember(key);
            skipSpace();
            if (at(',')) {
                ++m_at;
                skipSpace();
            } else if (at('}')) {
                ++m_at;
                return !m_failed;
            } else {
                return fail();
            }
        }
    }

    // The elements of the array at the cursor; onElement(index) reads each.
    template<typename OnElement>
    bool elements(int depth, OnElement onElement)
    {
        if (depth >= nestingLimit)
            return fail();
        ++m_at;
        skipSpace();
        if (at(']')) {
            ++m_at;
            return true;
        }
        for (qsizetype index = 0;; ++index) {
            onElement(index);
            skipSpace();
            if (at(',')) {
                ++m_at;
                skipSpace();
            } else if (at(']')) {
                ++m_at;
                return !m_failed;
            } else {
                return fail();
            }
        }
    }

    // Reads any value, keeping nothing.
    bool value(int depth)
    {
        if (m_at == m_end)
            return fail();
        switch (*m_at) {
        case '{':
            return members(depth, [this, depth](const RawString &) { value(depth + 1); });
        case '[':
            return elements(depth, [this, depth](qsizetype) { value(depth + 1); });
        case '"': {
            RawString skipped;
            return string(&skipped);
        }
        case 't':
            return literal("true");
        case 'f':
            return literal("false");
        case 'n':
            return literal("null");
        default:
            return number(nullptr);
        }
    }

    bool literal(QByteArrayView word)
    {
        if (m_end - m_at < word.size() || QByteArrayView(m_at, word.size()) != word)
            return fail();
        m_at += word.size();
        return true;
    }

    bool string(RawString *raw)
    {
        const char *const start = ++m_at;
        bool escaped = false;
        for (;;) {
            while (m_at < m_end && *m_at != '"' && *m_at != '\\')
                ++m_at;
            if (m_at == m_end)
                return fail();
            if (*m_at == '"')
                break;
            // A backslash and one ASCII character; "u" takes four hex digits.
            escaped = true;
            if (m_end - m_at < 2 || static_cast<unsigned char>(m_at[1]) >= 0x80)
                return fail();
            if (m_at[1] != 'u') {
                m_at += 2;
                continue;
            }
            if (m_end - m_at < 6
                || !std::all_of(m_at + 2, m_at + 6, [](char c) { return hexValue(c) >= 0; }))
                return fail();
            m_at += 6;
        }
        *raw = { QByteArrayView(start, m_at - start), escaped };
        ++m_at;
        return true;
    }

    // A number as QJsonDocument scans it (an optional minus, digits, a fraction, an exponent,
    // each part possibly empty), valid when it converts to a finite double.
    bool number(double *number)
    {
        const char *const start = m_at;
        if (at('-'))
            ++m_at;
        if (at('0'))
            ++m_at;
        else
            skipDigits();
        if (at('.')) {
            ++m_at;
            skipDigits();
        }
        if (at('e') || at('E')) {
            ++m_at;
            if (at('+') || at('-'))
                ++m_at;
            skipDigits();
        }
        // A number never ends the text: the object around it has not closed.
        if (m_at == m_end)
            return fail();
        bool ok = false;
        const double converted = QByteArrayView(start, m_at - start).toDouble(&ok);
        if (!ok)
            return fail();
        if (number)
            *number = converted;
        return true;
    }

    // Reads the object at the cursor member by member; any other value is read and ignored.
    template<typename OnMember>
    void ifObject(int depth, OnMember onMember)
    {
        if (at('{'))
            members(depth, onMember);
        else
            value(depth);
    }

    std::optional<RawString> text(int depth)
    {
        RawString raw;
        if (!at('"')) {
            value(depth);
            return std::nullopt;
        }
        if (!string(&raw))
            return std::nullopt;
        return raw;
    }

    QString textOrEmpty(int depth)
    {
        const std::optional<RawString> raw = text(depth);
        return raw ? raw->decoded() : QString();
    }

    std::optional<double> numberOrNothing(int depth)
    {
        const bool isNumber = m_at < m_end && !std::strchr("{[\"tfn", *m_at);
        double converted = 0;
        if (!isNumber || !number(&converted)) {
            value(depth);
            return std::nullopt;
        }
        return converted;
    }

    // The first element of the array at the cursor, when it is text.
    std::optional<RawString> firstText(int depth)
    {
        std::optional<RawString> first;
        if (!at('[')) {
            value(depth);
            return first;
        }
        elements(depth, [&](qsizetype index) {
            if (index == 0)
                first = text(depth + 1);
            else
                value(depth + 1);
        });
        return first;
    }

    // The text of the object's member \a name (its last, should it appear twice).
    QString memberText(int depth, QLatin1StringView name)
    {
        QString found;
        ifObject(depth, [&](const RawString &key) {
            if (key.is(name))
                found = textOrEmpty(depth + 1);
            else
                value(depth + 1);
        });
        return found;
    }

    // The first text of the object's array member \a name.
    QString memberFirstText(int depth, QLatin1StringView name)
    {
        QString found;
        ifObject(depth, [&](const RawString &key) {
            if (!key.is(name)) {
                value(depth + 1);
                return;
            }
            const std::optional<RawString> first = firstText(depth + 1);
            found = first ? first->decoded() : QString();
        });
        return found;
    }

    void video(int depth, Item *item)
    {
        item->playUri.clear();
        item->cover.clear();
        ifObject(depth, [&](const RawString &key) {
            if (key.is("play_addr"_L1))
                item->playUri = memberText(depth + 1, "uri"_L1);
            else if (key.is("cover"_L1))
                item->cover = memberFirstText(depth + 1, "url_list"_L1);
            else
                value(depth + 1);
        });
    }

    void images(int depth, Item *item)
    {
        item->images.clear();
        item->imagesLeftOut = 0;
        if (!at('[')) {
            value(depth);
            return;
        }
        elements(depth, [&](qsizetype) {
            std::optional<RawString> address;
            ifObject(depth + 1, [&](const RawString &key) {
                if (key.is("url_list"_L1))
                    address = firstText(depth + 2);
                else
                    value(depth + 2);
            });
            if (!address)
                return;
            // Past the limit, an address is only counted: it is never decoded.
            if (item->images.size() < JsonItemReader::maximumImages)
                item->images.append(address->decoded());
            else
                ++item->imagesLeftOut;
        });
    }

    Item item(int depth)
    {
        Item item;
        members(depth, [&](const RawString &key) {
            const int inner = depth + 1;
            if (key.is("author"_L1))
                item.nickname = memberText(inner, "nickname"_L1);
            else if (key.is("desc"_L1))
                item.desc = textOrEmpty(inner);
            else if (key.is("video"_L1))
                video(inner, &item);
            else if (key.is("images"_L1))
                images(inner, &item);
            else if (key.is("aweme_type"_L1))
                item.awemeType = numberOrNothing(inner);
            else
                value(inner);
        });
        return item;
    }

    // The item at the end of the keys from \a key to \a last, then the first element there.
    std::optional<Item> itemAt(int depth, const QLatin1StringView *key,
                               const QLatin1StringView *last)
    {
        std::optional<Item> found;
        if (key == last) {
            if (!at('[')) {
                value(depth);
                return found;
            }
            elements(depth, [&](qsizetype index) {
                if (index == 0 && at('{'))
                    found = item(depth + 1);
                else
                    value(depth + 1);
            });
            return found;
        }
        ifObject(depth, [&](const RawString &name) {
            if (name.is(*key))
                found = itemAt(depth + 1, key + 1, last);
            else
                value(depth + 1);
        });
        return found;
    }

    const char *m_at;
    const char *const m_end;
    bool m_failed = false;
};

} // namespace

JsonItemReader::Reading JsonItemReader::read(QByteArrayView json, Path path)
{
    return Reader(json).read(path);
}
