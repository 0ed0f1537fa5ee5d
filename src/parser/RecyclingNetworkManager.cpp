#include "RecyclingNetworkManager.h"

#include <QNetworkReply>

RecyclingNetworkManager::RecyclingNetworkManager(QObject *parent)
    : QNetworkAccessManager(parent) { }

// The base class's destructor deletes the replies it still owns; by then this part of the
// object is gone, so their destroyed() must no longer reach replyDestroyed().
RecyclingNetworkManager::~RecyclingNetworkManager()
{
    const QList<QNetworkReply *> replies
        = findChildren<QNetworkReply *>(Qt::FindDirectChildrenOnly);
    for (QNetworkReply *reply : replies)
        disconnect(reply, &QObject::destroyed, this, &RecyclingNetworkManager::replyDestroyed);
}

QNetworkReply *RecyclingNetworkManager::createRequest(Operation operation,
                                                      const QNetworkRequest &request,
                                                      QIODevice *outgoingData)
{
    QNetworkReply *reply = QNetworkAccessManager::createRequest(operation, request, outgoingData);
    ++m_liveReplies;
    ++m_requestsSinceRecycle;
    connect(reply, &QObject::destroyed, this, &RecyclingNetworkManager::replyDestroyed);
    return reply;
}

void RecyclingNetworkManager::replyDestroyed()
{
    --m_liveReplies;
    if (m_liveReplies == 0 && m_requestsSinceRecycle >= recycleAfter) {
        // Not inside the reply's destruction: Qt ends its own work on the reply first.
        QMetaObject::invokeMethod(this, &RecyclingNetworkManager::recycleWhenIdle,
                                  Qt::QueuedConnection);
    }
}

void RecyclingNetworkManager::recycleWhenIdle()
{
    // A request may have started meanwhile: it keeps the connections until the next idle moment.
    if (m_liveReplies > 0 || m_requestsSinceRecycle < recycleAfter)
        return;
    m_requestsSinceRecycle = 0;
    ++m_recycleCount;
    clearConnectionCache();
}
