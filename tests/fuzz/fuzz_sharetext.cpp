// Share-text functions: link picking, the platform-link cut, the video ID of an address.
#include "FuzzChecks.h"
#include "PlatformLink.h"
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

    const std::optional<QString> playAddress = ShareText::directPlayAddress(input);
    checkCut(input, playAddress, "a direct play address is a substring of the text");

    const std::optional<QString> platformLink
        = ShareText::extractDouyinURLFromString(input, endpoints);
    checkCut(input, platformLink, "the platform link is a substring of the text");
    if (platformLink) {
        const PlatformLink::Kind kind
            = PlatformLink::classify(QUrl(*platformLink), endpoints).kind();
        require(kind == PlatformLink::Kind::ShortLink || kind == PlatformLink::Kind::ItemLink,
                "the platform link is a short link or holds the video ID", *platformLink);
    }

    const std::optional<QString> parserInput = ShareText::parserInput(input, endpoints);
    if (!input.contains(u"抖音"_s))
        require(parserInput == input, "text without 抖音 goes on unchanged");
    else
        require(!parserInput || parserInput == platformLink,
                "a share text becomes its platform link");

    checkCut(input, ShareText::linkFromPastedText(input, endpoints),
             "the link taken from a paste is a substring of the text");
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
