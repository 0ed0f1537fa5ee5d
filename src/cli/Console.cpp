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

QString jsonLine(const QJsonObject &object)
{
    return escaped(QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact))) + u'\n';
}

} // namespace Console
