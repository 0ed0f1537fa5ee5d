#include "NetworkThread.h"

#include <QCoreApplication>
#include <QMutex>
#include <QNetworkAccessManager>
#include <QThread>

namespace {

struct Worker
{
    QThread thread;
    QObject *context = nullptr; // lives on the thread
    QNetworkAccessManager *manager = nullptr; // created on the thread by the first job

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
        [current, job = std::move(job)] {
            if (!current->manager)
                current->manager = new QNetworkAccessManager(current->context);
            job(*current->manager);
        },
        Qt::QueuedConnection);
}
