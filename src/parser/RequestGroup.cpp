#include "RequestGroup.h"

#include "BoundedRequest.h"
#include "NetworkThread.h"

#include <utility>

void RequestGroup::join(BoundedRequest *request)
{
    if (m_cancelled) {
        request->drop();
        return;
    }
    // Finished requests leave null pointers behind: drop them so that a long parse keeps few.
    m_requests.removeIf([](const QPointer<BoundedRequest> &pending) { return pending.isNull(); });
    m_requests.append(request);
}

void RequestGroup::cancel()
{
    if (m_cancelled.exchange(true))
        return;
    NetworkThread::post([self = shared_from_this()](QNetworkAccessManager &) { self->abortAll(); });
}

void RequestGroup::abortAll()
{
    for (const QPointer<BoundedRequest> &request : std::exchange(m_requests, {})) {
        if (request)
            request->drop();
    }
}
