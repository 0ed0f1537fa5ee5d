#include "NetworkThread.h"

#include "NetworkAccess.h"

#include <QCoreApplication>
#include <QMutex>
#include <QThread>

namespace {

struct Worker
{
    QThread thread;
    QObject *context = nullptr; // lives on the thread

    Worker()
    {
        thread.setObjectName(QStringLiteral("kivora-network"));
        context = new QObject;
        context->moveToThread(&thread);
        QObject::connect(&thread, &QThread::finished, context, &QObject::deleteLater);
        thread.start();
    }

    ~Worker()
    {
        thread.quit();
        thread.wait();
    }
};

QMutex workerMutex;
Worker *worker = nullptr;

void stopWorker()
{
    QMutexLocker locker(&workerMutex);
    delete worker;
    worker = nullptr;
}

} // namespace

void NetworkThread::post(Job job)
{
    QMutexLocker locker(&workerMutex);
    if (!worker) {
        worker = new Worker;
        qAddPostRoutine(stopWorker);
    }
    Worker *const current = worker;
    QMetaObject::invokeMethod(
        current->context,
        [job = std::move(job)] { job(NetworkAccess::manager()); },
        Qt::QueuedConnection);
}
