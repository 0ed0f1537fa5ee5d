#include "SuggestedFileName.h"

#include <QDir>
#include <QFile>
#include <QMimeDatabase>
#include <QNetworkReply>
#include <QStringDecoder>
#include <QTextBoundaryFinder>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace SuggestedFileName {
namespace {

constexpr int maxExtensionLength = 10;
constexpr int maxNumberedAttempts = 10000;

// Splits "movie.mp4" into "movie" and ".mp4"; the extension is empty when the name has none.
// Only a short run of ASCII letters and digits counts, so "Mr. Smith" has no extension.
std::pair<QString, QString> splitExtension(const QString &name)
{
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot <= 0 || dot == name.size() - 1 || name.size() - dot - 1 > maxExtensionLength)
        return { name, QString() };
    const bool plain = std::all_of(name.cbegin() + dot + 1, name.cend(), [](QChar c) {
        return c.isDigit() || (c.unicode() < 0x80 && c.isLetter());
    });
    if (!plain)
        return { name, QString() };
    return { name.left(dot), name.mid(dot) };
}

// Characters that must not reach a file name: control characters (NUL, newline, DEL, C1), line
// and paragraph separators, and every invisible formatting character: the direction marks and
// overrides that make "exe.mp4" read as "4pm.exe" (U+200E, U+200F, U+061C, U+202A to U+202E,
// U+2066 to U+2069), the zero-width characters (U+200B to U+200D, U+2060, U+FEFF) and the like.
// Lone surrogates go too: they cannot be written as UTF-8.
bool isForbidden(char32_t codePoint)
{
    const QChar::Category category = QChar::category(codePoint);
    return category == QChar::Other_Control || category == QChar::Other_Format
        || category == QChar::Other_Surrogate || codePoint == 0x2028 || codePoint == 0x2029;
}

// Characters that Windows refuses in file names; replaced so a name works on every desktop.
bool isReserved(QChar c)
{
    return QStringView(u"<>:\"|?*").contains(c);
}

bool isDeviceName(const QString &name)
{
    static const QStringList devices = { u"CON"_s, u"PRN"_s, u"AUX"_s, u"NUL"_s };
    const QString stem = name.section(u'.', 0, 0).trimmed().toUpper();
    if (devices.contains(stem))
        return true;
    return stem.size() == 4 && (stem.startsWith(u"COM"_s) || stem.startsWith(u"LPT"_s))
        && stem.at(3) >= u'1' && stem.at(3) <= u'9';
}

qsizetype utf8Length(QStringView text)
{
    return text.toUtf8().size();
}

QString trimmedEnd(QString text)
{
    while (!text.isEmpty() && (text.back() == u'.' || text.back().isSpace()))
        text.chop(1);
    return text;
}

// stem + tail, with stem cut on a character (grapheme) boundary so the whole fits in maxBytes.
QString fitted(const QString &stem, const QString &tail)
{
    const qsizetype budget = maxBytes - utf8Length(tail);
    if (utf8Length(stem) <= budget)
        return stem + tail;
    const QString cut = trimmedEnd(shortened(stem, budget));
    return (cut.isEmpty() ? u"Unknown"_s : cut) + tail;
}

QString lastPathSegment(const QUrl &url)
{
    const QStringList segments = url.path(QUrl::FullyDecoded).split(u'/', Qt::SkipEmptyParts);
    return segments.isEmpty() ? QString() : segments.constLast();
}

QString suffixForType(const QByteArray &contentType)
{
    const QByteArray name = contentType.split(';').constFirst().trimmed().toLower();
    if (name.isEmpty())
        return {};
    const QMimeType type = QMimeDatabase().mimeTypeForName(QString::fromLatin1(name));
    return type.isValid() && !type.isDefault() ? type.preferredSuffix() : QString();
}

QString decodeBytes(const QByteArray &bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(bytes);
    return utf8.hasError() ? QString::fromLatin1(bytes) : text;
}

// Splits "attachment; filename=\"a;b.mp4\"; size=3" at the semicolons outside quotes.
QList<QByteArray> splitParameters(const QByteArray &value)
{
    QList<QByteArray> parameters;
    QByteArray current;
    bool quoted = false;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const char c = value.at(i);
        if (quoted && c == '\\' && i + 1 < value.size()) {
            current += c;
            current += value.at(++i);
            continue;
        }
        if (c == '"')
            quoted = !quoted;
        if (c == ';' && !quoted) {
            parameters.append(current.trimmed());
            current.clear();
            continue;
        }
        current += c;
    }
    parameters.append(current.trimmed());
    return parameters;
}

QByteArray unquoted(const QByteArray &value)
{
    if (value.size() < 2 || !value.startsWith('"') || !value.endsWith('"'))
        return value;
    QByteArray text;
    for (qsizetype i = 1; i < value.size() - 1; ++i) {
        if (value.at(i) == '\\' && i + 1 < value.size() - 1)
            ++i;
        text += value.at(i);
    }
    return text;
}

// RFC 5987 ext-value: charset'language'percent-encoded-bytes.
QString decodeExtendedValue(const QByteArray &value)
{
    const QByteArray text = unquoted(value);
    const qsizetype first = text.indexOf('\'');
    const qsizetype second = first < 0 ? -1 : text.indexOf('\'', first + 1);
    if (second < 0)
        return {};
    const QByteArray charset = text.left(first).toLower();
    const QByteArray bytes = QByteArray::fromPercentEncoding(text.mid(second + 1));
    if (charset == "utf-8") {
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString decoded = utf8.decode(bytes);
        return utf8.hasError() ? QString() : decoded;
    }
    if (charset == "iso-8859-1")
        return QString::fromLatin1(bytes);
    return {};
}

} // namespace

QString withoutForbidden(QStringView name)
{
    QString kept;
    kept.reserve(name.size());
    for (qsizetype i = 0; i < name.size(); ++i) {
        const QChar c = name.at(i);
        char32_t codePoint = c.unicode();
        const bool pair
            = c.isHighSurrogate() && i + 1 < name.size() && name.at(i + 1).isLowSurrogate();
        if (pair)
            codePoint = QChar::surrogateToUcs4(c, name.at(i + 1));
        if (!isForbidden(codePoint))
            kept += name.mid(i, pair ? 2 : 1);
        if (pair)
            ++i;
    }
    return kept;
}

QString shortened(const QString &text, qsizetype bytes)
{
    if (utf8Length(text) <= bytes)
        return text;
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, text);
    qsizetype kept = 0;
    qsizetype keptBytes = 0;
    for (qsizetype next = graphemes.toNextBoundary(); next != -1;
         next = graphemes.toNextBoundary()) {
        // Qt 6.4 can report a boundary inside a surrogate pair (an emoji before a Khmer digit):
        // half a pair would be measured as one byte and cut a character in two.
        if (next < text.size() && text.at(next).isLowSurrogate()
            && text.at(next - 1).isHighSurrogate())
            continue;
        const qsizetype more = utf8Length(QStringView(text).mid(kept, next - kept));
        if (keptBytes + more > bytes)
            break;
        keptBytes += more;
        kept = next;
    }
    return text.left(kept);
}

QString fromContentDisposition(const QByteArray &contentDisposition)
{
    QString plain;
    QString extended;
    for (const QByteArray &parameter : splitParameters(contentDisposition)) {
        const qsizetype equals = parameter.indexOf('=');
        if (equals < 0)
            continue;
        const QByteArray key = parameter.left(equals).trimmed().toLower();
        const QByteArray value = parameter.mid(equals + 1).trimmed();
        if (key == "filename*" && extended.isEmpty())
            extended = decodeExtendedValue(value);
        else if (key == "filename" && plain.isEmpty())
            plain = decodeBytes(unquoted(value));
    }
    return extended.isEmpty() ? plain : extended;
}

QString sanitize(const QString &name)
{
    const qsizetype lastSeparator = std::max(name.lastIndexOf(u'/'), name.lastIndexOf(u'\\'));
    QString clean = withoutForbidden(QStringView(name).mid(lastSeparator + 1));
    std::replace_if(clean.begin(), clean.end(), isReserved, u'_');
    clean = trimmedEnd(clean.trimmed());
    while (!clean.isEmpty() && (clean.front() == u'.' || clean.front().isSpace()))
        clean.remove(0, 1);
    if (clean.isEmpty())
        return u"Unknown"_s;
    if (isDeviceName(clean))
        clean.prepend(u'_');
    const auto [stem, extension] = splitExtension(clean);
    return fitted(stem, extension);
}

QString sniffedSuffix(const QByteArray &firstBytes)
{
    if (firstBytes.isEmpty())
        return {};
    const QMimeType type = QMimeDatabase().mimeTypeForData(firstBytes);
    if (!type.isValid() || type.isDefault() || type.inherits(u"text/plain"_s))
        return {};
    // The usual spelling, where the database prefers another (".jpeg").
    if (type.name() == u"image/jpeg"_s)
        return u"jpg"_s;
    return type.preferredSuffix();
}

QString fromHeaders(const QByteArray &contentDisposition, const QUrl &finalUrl,
                    const QByteArray &contentType, const QByteArray &firstBytes)
{
    QString name = fromContentDisposition(contentDisposition);
    if (name.isEmpty())
        name = lastPathSegment(finalUrl);
    name = sanitize(name);
    if (!sniffedSuffix(firstBytes).isEmpty())
        return withContentExtension(name, firstBytes);
    if (splitExtension(name).second.isEmpty()) {
        const QString suffix = suffixForType(contentType);
        if (!suffix.isEmpty())
            name = sanitize(name + u'.' + suffix);
    }
    return name;
}

QString withContentExtension(const QString &name, const QByteArray &firstBytes)
{
    const QString safeName = sanitize(name);
    const QString sniffed = sniffedSuffix(firstBytes);
    if (sniffed.isEmpty())
        return safeName;
    const auto [stem, extension] = splitExtension(safeName);
    const QStringList known = QMimeDatabase().mimeTypeForData(firstBytes).suffixes();
    if (known.contains(extension.mid(1), Qt::CaseInsensitive))
        return safeName;
    return sanitize(stem + u'.' + sniffed);
}

QString fromReply(const QNetworkReply &reply, const QByteArray &firstBytes)
{
    return fromHeaders(reply.rawHeader("Content-Disposition"), reply.url(),
                       reply.rawHeader("Content-Type"), firstBytes);
}

QString numbered(const QString &name, int number)
{
    if (number == 0)
        return name;
    const auto [stem, extension] = splitExtension(name);
    return fitted(stem, u" (%1)"_s.arg(number) + extension);
}

QString claimUnique(const QString &directory, const QString &name)
{
    const QDir dir(directory);
    const QString safeName = sanitize(name);
    for (int number = 0; number < maxNumberedAttempts; ++number) {
        QFile file(dir.filePath(numbered(safeName, number)));
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            return file.fileName();
        if (!file.exists())
            return {};
    }
    return {};
}

} // namespace SuggestedFileName
