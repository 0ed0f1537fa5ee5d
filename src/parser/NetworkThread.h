#pragma once

#include <functional>

class QNetworkAccessManager;

/*!
 * \brief The parser's network thread: one worker thread where parses run, with that thread's
 * network manager (NetworkAccess::manager()).
 *
 * Jobs run on that thread in the order posted; replies, and everything that reacts to them, live
 * there too. The thread starts with the first job and stops when the application object is
 * destroyed; requests still pending then are dropped without calling back.
 */
class NetworkThread
{
public:
    using Job = std::function<void(QNetworkAccessManager &manager)>;

    /*! Queues \a job on the network thread. Needs a QCoreApplication; callable from any thread. */
    static void post(Job job);
};
