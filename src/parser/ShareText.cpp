#include "ShareText.h"

#include "PlatformLink.h"

#include <QRegularExpression>

namespace ShareText {

std::optional<QString> directPlayAddress(const QString &text)
{
    if (text.contains(u"/play/") && text.contains(u"line=1"))
        return text;
    if (PlatformLink::isPlayAddress(text))
        return text.trimmed();
    return std::nullopt;
}

std::optional<QString> extractDouyinURLFromString(const QString &text, const Endpoints &endpoints)
{
    return PlatformLink::findFirst(text, endpoints);
}

std::optional<QString> parserInput(const QString &input, const Endpoints &endpoints)
{
    if (input.contains(u"抖音"))
        return extractDouyinURLFromString(input, endpoints);
    return input;
}

std::optional<QString> pickLinkFromPastedText(const QString &text)
{
    // From "https" to the last "/" of the same line; the class lists every line terminator so
    // that no newline convention of the regex engine decides where a line ends.
    static const QRegularExpression pattern(
        QStringLiteral("https[^\\n\\x{0B}\\x{0C}\\r\\x{85}\\x{2028}\\x{2029}]+/"));
    constexpr qsizetype shortestLink = 11;
    QRegularExpressionMatchIterator matches = pattern.globalMatch(text);
    while (matches.hasNext()) {
        const QRegularExpressionMatch match = matches.next();
        if (match.capturedLength() >= shortestLink)
            return match.captured();
    }
    return std::nullopt;
}

std::optional<QString> linkFromPastedText(const QString &text, const Endpoints &endpoints)
{
    if (const std::optional<QString> link = extractDouyinURLFromString(text, endpoints))
        return link;
    return pickLinkFromPastedText(text);
}

QStringList queueInputs(const QString &text, const Endpoints &endpoints)
{
    static const QRegularExpression videoIdLine(QStringLiteral("^\\s*([0-9]{6,32})\\s*$"),
                                                QRegularExpression::MultilineOption);
    QStringList inputs;
    const auto add = [&inputs](const QString &input) {
        if (!inputs.contains(input))
            inputs.append(input);
    };
    // Line by line, so that IDs and links keep the order they were written in.
    for (const QString &line : text.split(u'\n')) {
        const QRegularExpressionMatch id = videoIdLine.match(line);
        if (id.hasMatch())
            add(id.captured(1));
        else
            for (const QString &link : PlatformLink::findAll(line, endpoints))
                add(link);
    }
    return inputs;
}

} // namespace ShareText
