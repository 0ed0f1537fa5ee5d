// The demo seam of a build without the sample platform (KIVORA_DEMO off).
#include "DemoPlatform.h"

using namespace Qt::StringLiterals;

bool DemoPlatform::isAvailable()
{
    return false;
}

std::unique_ptr<DemoPlatform> DemoPlatform::start(QString *error)
{
    *error = u"This build of Kivora has no sample platform."_s;
    return nullptr;
}
