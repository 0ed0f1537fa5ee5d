#include "JsonItemReader.h"

#include "GearPreference.h"

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

// A count the platform states (bytes, bits per second, pixels) as an integer within 0 and
// \a maximum: a hostile number far out of range must not reach a conversion that is undefined.
qint64 boundedCount(std::optional<double> value, qint64 maximum)
{
    if (!value || !(*value > 0))
        return 0;
    return *value >= double(maximum) ? maximum : qint64(*value);
}

// Larger than any real size or bit rate, and exact in a double.
constexpr qint64 maximumCount = qint64(1) << 52;
constexpr qint64 maximumPixels = 1 << 16;

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

    // True for the literal true; any other value is read and ignored.
    bool isTrue(int depth)
    {
        if (at('t'))
            return literal("true");
        value(depth);
        return false;
    }

    // True for the literal true and for a number other than 0, as the platform writes flags.
    bool flag(int depth)
    {
        if (at('t') || at('f') || at('n'))
            return isTrue(depth);
        const std::optional<double> number = numberOrNothing(depth);
        return number && *number != 0;
    }

    // The texts of the array at the cursor, at most JsonItemReader::maximumAddresses of them.
    QList<RawString> texts(int depth)
    {
        QList<RawString> found;
        if (!at('[')) {
            value(depth);
            return found;
        }
        elements(depth, [&](qsizetype) {
            const std::optional<RawString> entry = text(depth + 1);
            if (entry && found.size() < JsonItemReader::maximumAddresses)
                found.append(*entry);
        });
        return found;
    }

    static QStringList decoded(const QList<RawString> &raw)
    {
        QStringList texts;
        for (const RawString &entry : raw)
            texts.append(entry.decoded());
        return texts;
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

    // A play address object: "uri" and the first of "url_list".
    void playAddr(int depth, Item *item)
    {
        item->playUri.clear();
        item->playUrl.clear();
        ifObject(depth, [&](const RawString &key) {
            if (key.is("uri"_L1)) {
                item->playUri = textOrEmpty(depth + 1);
            } else if (key.is("url_list"_L1)) {
                const std::optional<RawString> first = firstText(depth + 1);
                item->playUrl = first ? first->decoded() : QString();
            } else {
                value(depth + 1);
            }
        });
    }

    // One element of "bit_rate".
    VideoGear gear(int depth)
    {
        VideoGear gear;
        QString gearName, urlKey;
        qint64 pixelHeight = 0;
        bool isBytevc1 = false, isH265 = false;
        members(depth, [&](const RawString &key) {
            const int inner = depth + 1;
            if (key.is("gear_name"_L1))
                gearName = textOrEmpty(inner);
            else if (key.is("bit_rate"_L1))
                gear.bitrate = boundedCount(numberOrNothing(inner), maximumCount);
            else if (key.is("is_bytevc1"_L1))
                isBytevc1 = flag(inner);
            else if (key.is("is_h265"_L1))
                isH265 = flag(inner);
            else if (key.is("play_addr"_L1))
                ifObject(inner, [&](const RawString &name) {
                    if (name.is("url_key"_L1))
                        urlKey = textOrEmpty(inner + 1);
                    else if (name.is("data_size"_L1))
                        gear.size = boundedCount(numberOrNothing(inner + 1), maximumCount);
                    else if (name.is("height"_L1))
                        pixelHeight = boundedCount(numberOrNothing(inner + 1), maximumPixels);
                    else if (name.is("url_list"_L1))
                        gear.urls = decoded(texts(inner + 1));
                    else
                        value(inner + 1);
                });
            else
                value(inner);
        });
        gear.height = VideoGear::nominalHeight(gearName, urlKey, int(pixelHeight));
        gear.codec = VideoGear::codecOf(urlKey, isBytevc1, isH265);
        return gear;
    }

    void gears(int depth, Item *item)
    {
        item->gears.clear();
        if (!at('[')) {
            value(depth);
            return;
        }
        elements(depth, [&](qsizetype) {
            if (at('{') && item->gears.size() < JsonItemReader::maximumGears)
                item->gears.append(gear(depth + 1));
            else
                value(depth + 1);
        });
    }

    void video(int depth, Item *item)
    {
        item->playUri.clear();
        item->playUrl.clear();
        item->cover.clear();
        item->gears.clear();
        ifObject(depth, [&](const RawString &key) {
            if (key.is("play_addr"_L1))
                playAddr(depth + 1, item);
            else if (key.is("cover"_L1))
                item->cover = memberFirstText(depth + 1, "url_list"_L1);
            else if (key.is("bit_rate"_L1))
                gears(depth + 1, item);
            else
                value(depth + 1);
        });
    }

    // A picture's clip: its best H.264 rendition's first address, else its play address.
    QString clip(int depth)
    {
        Item clip;
        video(depth, &clip);
        const std::optional<qsizetype> best = GearPreference().choose(clip.gears);
        if (best && !clip.gears.at(*best).urls.isEmpty())
            return clip.gears.at(*best).urls.first();
        return clip.playUrl;
    }

    static bool isJpeg(const QString &address)
    {
        const QString path = address.section(u'?', 0, 0).section(u'#', 0, 0);
        return path.endsWith(u".jpeg"_s, Qt::CaseInsensitive)
            || path.endsWith(u".jpg"_s, Qt::CaseInsensitive);
    }

    // The picture's address and its fallbacks, from its "url_list" entries.
    static std::optional<QStringList> orderedAddresses(const QList<RawString> &raw)
    {
        QStringList addresses;
        for (const RawString &entry : raw) {
            if (!entry.bytes.isEmpty())
                addresses.append(entry.decoded());
        }
        if (addresses.isEmpty())
            return std::nullopt;
        const auto jpeg = std::find_if(addresses.begin(), addresses.end(), isJpeg);
        if (jpeg != addresses.end())
            std::rotate(addresses.begin(), jpeg, jpeg + 1);
        return addresses;
    }

    void images(int depth, Item *item)
    {
        item->images.clear();
        item->imageFallbacks.clear();
        item->clips.clear();
        item->imagesLeftOut = 0;
        if (!at('[')) {
            value(depth);
            return;
        }
        elements(depth, [&](qsizetype) {
            const bool keep = item->images.size() < JsonItemReader::maximumImages;
            std::optional<QList<RawString>> addresses;
            QString clipAddress;
            ifObject(depth + 1, [&](const RawString &key) {
                if (key.is("url_list"_L1))
                    addresses = texts(depth + 2);
                else if (key.is("video"_L1) && keep)
                    clipAddress = clip(depth + 2);
                else
                    value(depth + 2);
            });
            // Past the limit, a picture is only counted: its addresses are never decoded.
            const std::optional<QStringList> ordered
                = addresses && keep ? orderedAddresses(*addresses) : std::nullopt;
            if (ordered) {
                item->images.append(ordered->first());
                item->imageFallbacks.append(ordered->mid(1));
                item->clips.append(clipAddress);
            } else if (addresses && !keep
                       && std::any_of(
                           addresses->cbegin(), addresses->cend(),
                           [](const RawString &entry) { return !entry.bytes.isEmpty(); })) {
                ++item->imagesLeftOut;
            }
        });
    }

    std::optional<ItemMusic> music(int depth)
    {
        if (!at('{')) {
            value(depth);
            return std::nullopt;
        }
        ItemMusic music;
        members(depth, [&](const RawString &key) {
            if (key.is("title"_L1))
                music.title = textOrEmpty(depth + 1);
            else if (key.is("duration"_L1))
                music.duration = numberOrNothing(depth + 1).value_or(0);
            else if (key.is("play_url"_L1))
                music.url = memberFirstText(depth + 1, "url_list"_L1);
            else
                value(depth + 1);
        });
        return music;
    }

    void status(int depth, Item *item)
    {
        item->isDeleted = false;
        item->privateStatus.reset();
        ifObject(depth, [&](const RawString &key) {
            if (key.is("is_delete"_L1))
                item->isDeleted = flag(depth + 1);
            else if (key.is("private_status"_L1))
                item->privateStatus = numberOrNothing(depth + 1);
            else
                value(depth + 1);
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
            else if (key.is("media_type"_L1))
                item.mediaType = numberOrNothing(inner);
            else if (key.is("is_slides"_L1))
                item.isSlides = isTrue(inner);
            else if (key.is("status"_L1))
                status(inner, &item);
            else if (key.is("music"_L1))
                item.music = music(inner);
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

bool JsonItemReader::Item::isGallery() const
{
    return !images.isEmpty() || mediaType == 2 || mediaType == 42 || isSlides;
}

JsonItemReader::Reading JsonItemReader::read(QByteArrayView json, Path path)
{
    return Reader(json).read(path);
}
