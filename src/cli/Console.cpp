#include "Console.h"

#include <QString>

#include <cstdio>

#include <unistd.h>

namespace Console {

namespace {

void write(std::FILE *stream, const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}

} // namespace

void out(const QString &text)
{
    write(stdout, text);
}

void err(const QString &text)
{
    write(stderr, text);
}

bool errIsTerminal()
{
    return isatty(fileno(stderr)) == 1;
}

QString escaped(const QString &text)
{
    QString result;
    result.reserve(text.size());
    for (const QChar c : text) {
        const char16_t code = c.unicode();
        const bool bidiControl
            = (code >= 0x202A && code <= 0x202E) || (code >= 0x2066 && code <= 0x2069);
        if (c.category() == QChar::Other_Control || bidiControl)
            result += QStringLiteral("\\u%1").arg(int(code), 4, 16, QLatin1Char('0'));
        else
            result += c;
    }
    return result;
}

} // namespace Console
