// A share page's bytes: the router-data cut, and the record read from it in one pass, checked
// against the record a QJsonDocument of the cut gives.
#include "RecordChecks.h"
#include "RouterData.h"

using namespace Qt::StringLiterals;
using FuzzChecks::require;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const VideoParser parser;
    static const QStringList itemPath
        = { u"loaderData"_s, u"video_(id)/page"_s, u"videoInfoRes"_s, u"item_list"_s };
    const QByteArray page = FuzzChecks::bytes(data, size);

    const std::optional<QByteArrayView> cut = RouterData::cut(page);
    if (cut) {
        const bool inside = cut->data() >= page.constData()
            && cut->data() + cut->size() <= page.constData() + page.size();
        require(inside, "the cut lies inside the page");
        require(cut->startsWith('{'), "the cut starts with the object's brace");
    }
    const VideoInfo record = parser.videoInfoFromPageBody(page);
    RecordChecks::checkRecord(record, parser, parser.tips());
    if (cut && QByteArrayView(page).isValidUtf8())
        RecordChecks::requireDocumentRecord(record, cut->toByteArray(), itemPath, parser,
                                            parser.tips());
    return 0;
}
