#include "MediaBackend.h"

#include <QByteArray>
#include <QtGlobal>

void MediaBackend::preferCurlHttpSource()
{
    static constexpr char variable[] = "GST_PLUGIN_FEATURE_RANK";
    QByteArray ranks = qgetenv(variable);
    if (ranks.contains("httpsrc"))
        return;
    if (!ranks.isEmpty())
        ranks += ',';
    // Above libsoup's primary rank; where the curl plugin is missing, libsoup's source still
    // serves.
    ranks += "curlhttpsrc:MAX";
    qputenv(variable, ranks);
}
