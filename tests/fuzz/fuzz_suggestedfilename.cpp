// The name a download is saved under: Content-Disposition, final address and first bytes.
#include "NameChecks.h"

#include <QUrl>

using namespace Qt::StringLiterals;
using NameChecks::checkSafe;

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
