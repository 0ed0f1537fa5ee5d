#include "Console.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QString>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <unistd.h>

namespace Console {

namespace {

QString firstOutputError;

// False, with errno set, when not every byte reached the stream's file.
bool write(std::FILE *stream, const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    const bool written
        = std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream) == size_t(bytes.size());
    return std::fflush(stream) == 0 && written;
}

} // namespace

void out(const QString &text)
{
    errno = 0;
    if (!write(stdout, text) && firstOutputError.isEmpty())
        firstOutputError = QString::fromLocal8Bit(std::strerror(errno ? errno : EIO));
}

QString outputError()
{
    return firstOutputError;
}

void err(const QString &text)
{
    write(stderr, text);
}

bool errIsTerminal()
{
    return isatty(fileno(stderr)) == 1;
}

namespace {

bool isPictograph(char32_t code)
{
    const QChar::Category category = QChar::category(code);
    return category == QChar::Symbol_Other || category == QChar::Symbol_Modifier
        || code == 0xFE0F; // the emoji presentation selector
}

// Characters that steer a terminal, or that a reader cannot see: controls, line and paragraph
// separators, and the format characters (direction marks and overrides, zero-width spaces and
// joiners, the byte order mark, tags). A joiner between two pictographs is part of an emoji
// (a family, a flag) and stays.
bool mustEscape(char32_t previous, char32_t code, char32_t next)
{
    switch (QChar::category(code)) {
    case QChar::Other_Control:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
        return true;
    case QChar::Other_Format:
        return code != 0x200D || !isPictograph(previous) || !isPictograph(next);
    default:
        return false;
    }
}

// The code point at \a index of \a text (a whole pair for a high surrogate), and its length.
char32_t codePointAt(const QString &text, qsizetype index, qsizetype *length)
{
    *length = 1;
    if (index < 0 || index >= text.size())
        return 0;
    const QChar c = text.at(index);
    if (c.isHighSurrogate() && index + 1 < text.size() && text.at(index + 1).isLowSurrogate()) {
        *length = 2;
        return QChar::surrogateToUcs4(c, text.at(index + 1));
    }
    return c.unicode();
}

} // namespace

QString escaped(const QString &text)
{
    QString result;
    result.reserve(text.size());
    char32_t previous = 0;
    qsizetype length = 0;
    for (qsizetype i = 0; i < text.size(); i += length) {
        const char32_t code = codePointAt(text, i, &length);
        qsizetype nextLength = 0;
        const char32_t next = codePointAt(text, i + length, &nextLength);
        if (mustEscape(previous, code, next)) {
            for (qsizetype unit = i; unit < i + length; ++unit)
                result += QStringLiteral("\\u%1").arg(int(text.at(unit).unicode()), 4, 16,
                                                      QLatin1Char('0'));
        } else {
            result += QStringView(text).sliced(i, length);
        }
        previous = code;
    }
    return result;
}

QString shownInput(const QString &input)
{
    constexpr qsizetype shownLength = 80;
    return escaped(input.size() > shownLength ? input.left(shownLength - 1) + u'…' : input);
}

QString jsonLine(const QJsonObject &object)
{
    return escaped(QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact))) + u'\n';
}

} // namespace Console
