#include "HistoryService.h"

HistoryService::HistoryService(const QString &filePath, QObject *parent)
    : QObject(parent), m_worker(new QObject), m_filePath(filePath)
{
    m_thread.setObjectName(QStringLiteral("Kivora history"));
    m_worker->moveToThread(&m_thread);
    m_thread.start();
}

HistoryService::~HistoryService()
{
    // The connection belongs to the thread: it is closed there, as the thread's last work.
    QMetaObject::invokeMethod(m_worker, [this] {
        m_store.reset();
        m_thread.quit();
    });
    m_thread.wait();
    delete m_worker;
}

// Runs \a work on the history's thread, with nothing when the file could not be opened.
void HistoryService::run(const std::function<void(HistoryStore *store)> &work)
{
    QMetaObject::invokeMethod(m_worker, [this, work] { work(m_store.get()); });
}

void HistoryService::open()
{
    QMetaObject::invokeMethod(m_worker, [this] {
        m_store = std::make_unique<HistoryStore>(m_filePath);
        const bool ok = m_store->open();
        Q_EMIT opened(ok, m_store->movedAsidePath(), m_store->error());
        if (!ok)
            m_store.reset();
    });
}

void HistoryService::recordItem(const HistoryItem &item)
{
    run([this, item](HistoryStore *store) {
        if (store && !store->recordItem(item))
            Q_EMIT writeFailed(store->error());
    });
}

void HistoryService::recordFile(const HistoryFile &file)
{
    run([this, file](HistoryStore *store) {
        if (store && !store->recordFile(file))
            Q_EMIT writeFailed(store->error());
    });
}

void HistoryService::search(const QString &text)
{
    run([this, text](HistoryStore *store) {
        Q_EMIT found(text, store ? store->search(text) : QList<HistoryItem>());
    });
}

void HistoryService::listFiles(const QString &itemId)
{
    run([this, itemId](HistoryStore *store) {
        Q_EMIT filesListed(itemId, store ? store->files(itemId) : QList<HistoryFile>());
    });
}
