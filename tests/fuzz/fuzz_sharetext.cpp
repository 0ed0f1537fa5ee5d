// Share-text functions: link picking, the short-link cut, the video ID of an address.
#include "FuzzChecks.h"
#include "ShareText.h"
#include "VideoParser.h"

#include <QUrl>

using namespace Qt::StringLiterals;
using FuzzChecks::require;

namespace {

Endpoints sampleEndpoints()
{
    Endpoints endpoints;
    endpoints.shortLinkHost = u"v.douyin.com"_s;
    return endpoints;
}

void checkCut(const QString &input, const std::optional<QString> &cut, const char *what)
{
    if (cut)
        require(input.contains(*cut), what, *cut);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const Endpoints endpoints = sampleEndpoints();
    const QString input = FuzzChecks::text(data, size);

    ShareText::isDirectPlayAddress(input);
    const std::optional<QString> shortLink
        = ShareText::extractDouyinURLFromString(input, endpoints);
    checkCut(input, shortLink, "the short link is a substring of the text");
    if (shortLink)
        require(shortLink->startsWith(u"https://v.douyin.com/"_s) && shortLink->endsWith(u'/'),
                "the short link is on the short-link host", *shortLink);

    const std::optional<QString> parserInput = ShareText::parserInput(input, endpoints);
    if (!input.contains(u"抖音"_s))
        require(parserInput == input, "text without 抖音 goes on unchanged");
    else
        require(!parserInput || parserInput == shortLink, "a share text becomes its short link");

    const std::optional<QString> pasted = ShareText::pickLinkFromPastedText(input);
    checkCut(input, pasted, "the pasted link is a substring of the text");
    if (pasted)
        require(pasted->startsWith(u"https"_s) && pasted->endsWith(u'/') && pasted->size() > 10,
                "the pasted link is an https link up to a slash", *pasted);

    const std::optional<QString> link = VideoParser::firstLink(input);
    checkCut(input, link, "the first link is a substring of the message");
    if (link) {
        const std::optional<QString> id = VideoParser::videoIDFromFinalAddress(QUrl(*link));
        if (id)
            require(!id->isEmpty() && VideoParser::isNumeric(*id), "a video ID is digits", *id);
    }
    return 0;
}
