#pragma once

#include <QList>
#include <QPointer>

#include <atomic>
#include <memory>

class BoundedRequest;

/*!
 * \brief The requests of one parse on the network thread, so that they can be ended together,
 * from any thread, with their connections.
 *
 * cancel() aborts every request of the group that is under way, and every request that joins it
 * later is aborted as it starts. An aborted request reports nothing: the parse it belongs to just
 * stops. Shared by the parse's pieces; create it with std::make_shared.
 */
class RequestGroup : public std::enable_shared_from_this<RequestGroup>
{
public:
    /*! On the network thread: takes \a request into the group, or drops it at once when the group
     *  is cancelled. */
    void join(BoundedRequest *request);
    /*! From any thread: ends the group's requests on the network thread, soon after the call. */
    void cancel();
    bool isCancelled() const { return m_cancelled; }

private:
    void abortAll();

    std::atomic<bool> m_cancelled { false };
    QList<QPointer<BoundedRequest>> m_requests; // touched on the network thread only
};
