#include "DemoPlatform.h"

#include "NetworkTrust.h"
#include "SamplePlatform.h"

using namespace Qt::StringLiterals;

namespace {

class SampleDemoPlatform final : public DemoPlatform
{
public:
    bool start(QString *error)
    {
        if (!m_platform.start()) {
            *error = u"The sample platform cannot listen on the loopback ports."_s;
            return false;
        }
        return NetworkTrust::addCaCertificates(SamplePlatform::caCertificatesPath(), error);
    }

    Endpoints endpoints() const override { return m_platform.endpoints(); }
    QString sampleShareText() const override
    {
        return m_platform.shareText(m_platform.items().constFirst());
    }

private:
    SamplePlatform m_platform;
};

} // namespace

bool DemoPlatform::isAvailable()
{
    return true;
}

std::unique_ptr<DemoPlatform> DemoPlatform::start(QString *error)
{
    auto demo = std::make_unique<SampleDemoPlatform>();
    if (!demo->start(error))
        return nullptr;
    return demo;
}
