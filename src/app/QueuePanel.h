#pragma once

#include "Endpoints.h"
#include "ResolveJob.h"

#include <QStringList>
#include <QWidget>

class DownloadQueue;
class QLabel;
class QListView;
class QMimeData;
class QPushButton;
class QToolButton;

/*!
 * \brief The download queue beside the main screen: a list of rows with their state and
 * progress, and the actions on the selected row (pause, resume, retry, remove, open the folder,
 * copy the address). The list folds away under its header.
 *
 * Links dropped on the panel, or on any widget it watches (watchDrops()), are added to the
 * queue: text, links, and text files.
 */
class QueuePanel : public QWidget
{
    Q_OBJECT

public:
    explicit QueuePanel(DownloadQueue *queue, QWidget *parent = nullptr);

    DownloadQueue *queue() const { return m_queue; }
    QListView *list() const { return m_list; }

    /*! The platform whose links count. */
    void setEndpoints(const Endpoints &endpoints) { m_endpoints = endpoints; }
    /*! Lets \a widget take drops of links for the queue too. */
    void watchDrops(QWidget *widget);

    /*! The queue's inputs in what a drop or a paste carries: its text, or the lines of the text
     *  files it names (each read up to maximumDroppedFileBytes). */
    static QStringList inputsFrom(const QMimeData *data, const Endpoints &endpoints);
    static constexpr qint64 maximumDroppedFileBytes = 1024 * 1024;

    bool isFolded() const;
    void setFolded(bool folded);

Q_SIGNALS:
    /*! The selected row holds \a item, which the main screen may show. */
    void itemSelected(const ResolveJob::Result &item);
    /*! The user asked to see \a folder. */
    void folderRequested(const QString &folder);
    /*! Something was dropped, but it held no link. */
    void nothingToAdd();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void buildActions();
    void retranslate();
    void updateActions();
    void updateHeader();
    int selectedRow() const;
    bool takeDrop(QEvent *event);

    DownloadQueue *m_queue;
    Endpoints m_endpoints;
    QToolButton *m_header = nullptr;
    QListView *m_list = nullptr;
    QWidget *m_actions = nullptr;
    QPushButton *m_pause = nullptr;
    QPushButton *m_resume = nullptr;
    QPushButton *m_retry = nullptr;
    QPushButton *m_remove = nullptr;
    QPushButton *m_openFolder = nullptr;
    QPushButton *m_copyAddress = nullptr;
    QLabel *m_empty = nullptr;
};
