#include "DemoPlatform.h"

#include "NetworkAccess.h"
#include "SamplePlatform.h"

#include <QSslCertificate>

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
        NetworkAccess::addCaCertificates(
            QSslCertificate::fromData(SamplePlatform::caCertificates()));
        return true;
    }

    Endpoints endpoints() const override { return m_platform.endpoints(); }
    QString shareText(Sample sample) const override
    {
        switch (sample) {
        case Sample::Gallery:
            return m_platform.shareText(m_platform.item(SamplePlatform::PageVariant::Gallery));
        case Sample::Failure:
            return m_platform.shareText(m_platform.item(SamplePlatform::PageVariant::NoRouterData));
        case Sample::Video:
            break;
        }
        return m_platform.shareText(m_platform.items().constFirst());
    }

    void slowDownMedia() override
    {
        SamplePlatform::Faults faults = m_platform.faults();
        faults.stall = true;
        m_platform.setFaults(faults);
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
