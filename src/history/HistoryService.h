#pragma once

#include "HistoryFile.h"
#include "HistoryItem.h"
#include "HistoryStore.h"

#include <QObject>
#include <QThread>

#include <functional>
#include <memory>

/*!
 * \brief The history for the window: a HistoryStore on a thread of its own, so that a busy or
 * slow disk never holds up the event loop. Every call returns at once and answers with a signal;
 * the calls run in order.
 */
class HistoryService : public QObject
{
    Q_OBJECT

public:
    explicit HistoryService(const QString &filePath = HistoryStore::defaultPath(),
                            QObject *parent = nullptr);
    ~HistoryService() override;

    /*! Opens the file; opened() follows. */
    void open();
    void recordItem(const HistoryItem &item);
    void recordFile(const HistoryFile &file);
    /*! found() follows. */
    void search(const QString &text);
    /*! filesListed() follows. */
    void listFiles(const QString &itemId);

Q_SIGNALS:
    /*! \a movedAsidePath: where a file that was no database went, else empty. */
    void opened(bool ok, const QString &movedAsidePath, const QString &error);
    /*! A write did not reach the file. */
    void writeFailed(const QString &error);
    void found(const QString &text, const QList<HistoryItem> &items);
    void filesListed(const QString &itemId, const QList<HistoryFile> &files);

private:
    void run(const std::function<void(HistoryStore *store)> &work);

    QThread m_thread;
    QObject *m_worker;
    std::unique_ptr<HistoryStore> m_store; //!< made, used and deleted on m_thread
    QString m_filePath;
};
