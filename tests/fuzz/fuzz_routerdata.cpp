// A share page's bytes: the router-data cut and the record built from it.
#include "FuzzChecks.h"
#include "RouterData.h"
#include "VideoParser.h"

using namespace Qt::StringLiterals;
using FuzzChecks::require;

namespace {

void checkRecord(const VideoInfo &record, const VideoParser &parser)
{
    require(record.msg() && record.tips() == parser.tips(), "every record has msg and tips");
    if (record.isFailureRecord()) {
        require(record.toJson().size() == 2, "the failure record has two entries");
        return;
    }
    require(record.toJson().size() == 8, "the full record has eight entries", record.toString());
    require(record.isSuccess() == !record.name()->isEmpty(), "success follows the name");
    require((*record.type() == u"图集"_s) == !record.images()->isEmpty(), "type follows images");
    const QString playPrefix = parser.endpoints().webOrigin + u"/aweme/v1/play/?video_id="_s;
    require(record.video()->isEmpty() || record.video()->startsWith(playPrefix),
            "the video is a play address on the web origin", *record.video());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const VideoParser parser;
    const QByteArray page = FuzzChecks::bytes(data, size);

    if (const std::optional<QByteArrayView> cut = RouterData::cut(page)) {
        const bool inside = cut->data() >= page.constData()
            && cut->data() + cut->size() <= page.constData() + page.size();
        require(inside, "the cut lies inside the page");
        require(cut->startsWith('{'), "the cut starts with the object's brace");
    }
    checkRecord(parser.videoInfoFromPageBody(page), parser);
    return 0;
}
