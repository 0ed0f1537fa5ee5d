#pragma once

#include "Endpoints.h"
#include "NetworkAccess.h"
#include "ResolveJob.h"

#include <QObject>
#include <QString>

#include <chrono>
#include <map>
#include <memory>

/*!
 * \brief Several resolutions at once (ResolveJob each), answering on the thread it lives on.
 *
 * Every resolve() ends in exactly one resolved() on this object's thread, never before resolve()
 * has returned, so a caller may connect, resolve and handle the answer in the order it reads.
 * Each resolution answers with its own text. A resolver that is destroyed ends the resolutions
 * still running, without answering.
 */
class ShareTextResolver : public QObject
{
    Q_OBJECT

public:
    using Result = ResolveJob::Result;

    explicit ShareTextResolver(const Endpoints &endpoints = Endpoints(), QObject *parent = nullptr);
    ~ShareTextResolver() override;

    /*! The platform asked; a change applies to the resolutions started afterwards. */
    const Endpoints &endpoints() const { return m_endpoints; }
    void setEndpoints(const Endpoints &endpoints) { m_endpoints = endpoints; }

    /*! How long a request may go without progress, and a whole parse may take. */
    void setTransferTimeout(std::chrono::milliseconds timeout) { m_transferTimeout = timeout; }
    void setDeadline(std::chrono::milliseconds deadline) { m_deadline = deadline; }

    /*! Starts resolving \a text; resolved() follows once. */
    void resolve(const QString &text);
    /*! Ends every pending resolution now, with its requests: each answers, before cancel()
     *  returns, with the failure record and the reason "Cancelled". A play address, answered
     *  without any request, keeps its answer, which is already on its way. */
    void cancel();
    /*! The resolutions started and not yet answered. */
    int pendingCount() const { return int(m_jobs.size()); }

Q_SIGNALS:
    void resolved(const ShareTextResolver::Result &result);

private:
    void answer(ResolveJob *job);

    Endpoints m_endpoints;
    std::chrono::milliseconds m_transferTimeout = NetworkAccess::defaultInactivityTimeout;
    std::chrono::milliseconds m_deadline;
    std::map<ResolveJob *, std::unique_ptr<ResolveJob>> m_jobs;
};
