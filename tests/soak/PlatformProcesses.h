#pragma once

#include "PlatformProcess.h"

#include <QString>
#include <QStringList>

#include <map>
#include <memory>

/*!
 * \brief The sample-platform servers of the soak, one per fault configuration (the server's
 * fault switches), each started when first asked for and stopped when the pool goes.
 */
class PlatformProcesses
{
public:
    /*! The server started with the switches \a faults, or null (with \a error) when it cannot be
     *  started. */
    const PlatformProcess *server(const QStringList &faults, QString &error);
    int count() const { return int(m_servers.size()); }

private:
    std::map<QStringList, std::unique_ptr<PlatformProcess>> m_servers;
};
