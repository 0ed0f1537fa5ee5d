// The name a download is saved under: Content-Disposition, final address and first bytes.
#include "FuzzChecks.h"
#include "SuggestedFileName.h"

#include <QUrl>

using namespace Qt::StringLiterals;
using FuzzChecks::require;

namespace {

// One safe file name: one path segment, nothing invisible, no leading dot, within the byte cap.
void checkSafe(const QString &name)
{
    require(!name.isEmpty(), "a name is never empty");
    require(!name.contains(u'/') && !name.contains(u'\\') && name != u".."_s,
            "a name is one path segment", name);
    require(!name.startsWith(u'.'), "a name never starts with a dot", name);
    require(name.toUtf8().size() <= SuggestedFileName::maxBytes, "a name fits the byte cap", name);
    for (qsizetype i = 0; i < name.size(); ++i) {
        const QChar::Category category = name.at(i).category();
        require(category != QChar::Other_Control && category != QChar::Other_Format,
                "a name holds no control or invisible characters", name);
    }
    require(SuggestedFileName::sanitize(name) == name, "sanitising twice changes nothing", name);
}

} // namespace

// The input is split at its first two newlines: Content-Disposition, address path, body bytes.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QList<QByteArray> parts = FuzzChecks::bytes(data, size).split('\n');
    const QByteArray disposition = parts.value(0);
    const QUrl url(u"http://localhost/"_s + QString::fromUtf8(parts.value(1)));
    const QByteArray firstBytes = parts.mid(2).join('\n');

    checkSafe(SuggestedFileName::sanitize(QString::fromUtf8(disposition)));
    const QString name = SuggestedFileName::fromHeaders(disposition, url, "video/mp4", firstBytes);
    checkSafe(name);
    checkSafe(SuggestedFileName::numbered(name, 12345));
    return 0;
}
