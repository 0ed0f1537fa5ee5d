#include "PlatformProcesses.h"

const PlatformProcess *PlatformProcesses::server(const QStringList &faults, QString &error)
{
    std::unique_ptr<PlatformProcess> &server = m_servers[faults];
    if (!server) {
        auto started = std::make_unique<PlatformProcess>();
        if (!started->start(QStringLiteral(KIVORA_SAMPLE_PLATFORM_PROGRAM), faults, error))
            return nullptr;
        server = std::move(started);
    }
    return server.get();
}
