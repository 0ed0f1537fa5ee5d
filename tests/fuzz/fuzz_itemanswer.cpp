// An item endpoint answer's bytes (the second road): the record read from them in one pass,
// checked against the record a QJsonDocument of the same bytes gives.
#include "RecordChecks.h"

using namespace Qt::StringLiterals;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const VideoParser parser;
    const QByteArray body = FuzzChecks::bytes(data, size);

    const VideoInfo record = parser.videoInfoFromItemAnswer(body);
    RecordChecks::checkRecord(record, parser, parser.itemEndpointTips());
    if (QByteArrayView(body).isValidUtf8()) {
        RecordChecks::requireDocumentRecord(record, body, { u"aweme_details"_s }, parser,
                                            parser.itemEndpointTips());
    }
    return 0;
}
