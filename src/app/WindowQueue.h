#pragma once

#include "Endpoints.h"
#include "ItemDownloadJob.h"
#include "JobOutcome.h"
#include "QueuePanel.h"
#include "ResolveJob.h"

#include <QObject>
#include <QPointer>

class DesktopNotifier;
class DownloadQueue;
class HistoryService;
class QWidget;
class Settings;
class ViewController;

/*!
 * \brief The download queue beside the screen, and what the window does around downloads: the
 * history of what was resolved and saved, the question before saving an item again, and a desktop
 * notification when downloads end while the window is in the background.
 *
 * The panel shows once the queue has a row: links pasted (several at once) on the screen, or
 * dropped on the window. Selecting a row shows its item on the screen.
 */
class WindowQueue : public QObject
{
    Q_OBJECT

public:
    WindowQueue(QWidget *window, ViewController *screen, HistoryService *history,
                const Endpoints &endpoints, QObject *parent = nullptr);
    ~WindowQueue() override;

    DownloadQueue *queue() const { return m_queue; }
    QueuePanel *panel() const { return m_panel; }
    DesktopNotifier *notifier() const { return m_notifier; }

    /*! Takes the names, the folders and the number of parallel downloads from \a settings. */
    void applySettings(const Settings &settings);

private:
    void addLinks(const QStringList &links);
    void recordItem(const ResolveJob::Result &result);
    void recordFiles(const QString &videoId, const JobOutcome &outcome);
    void rowFinished(int row, const JobOutcome &outcome);
    void notify(const QString &summary, const QString &body, const QString &folder);
    void lookUpSaved(const QString &videoId,
                     std::function<void(const std::optional<QDateTime> &)> answer);

    QWidget *m_window;
    QPointer<ViewController> m_screen;
    HistoryService *m_history;
    DownloadQueue *m_queue;
    QPointer<QueuePanel> m_panel; // the window owns it, and may go first
    DesktopNotifier *m_notifier;
};
