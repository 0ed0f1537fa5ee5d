#include "WindowQueue.h"

#include "DesktopNotifier.h"
#include "DownloadQueue.h"
#include "HistoryService.h"
#include "QueuePanel.h"
#include "Settings.h"
#include "VideoAlbum.h"
#include "ViewController.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QLayout>
#include <QLineEdit>
#include <QStandardPaths>
#include <QTimer>
#include <QUrl>
#include <QWidget>

#include <memory>
#include <utility>

using namespace Qt::StringLiterals;

WindowQueue::WindowQueue(QWidget *window, ViewController *screen, HistoryService *history,
                         const Endpoints &endpoints, QObject *parent)
    : QObject(parent)
    , m_window(window)
    , m_screen(screen)
    , m_history(history)
    , m_queue(new DownloadQueue(this))
    , m_panel(new QueuePanel(m_queue, window))
    , m_notifier(new DesktopNotifier(QDBusConnection::sessionBus(), this))
{
    DownloadQueue::Options options;
    options.endpoints = endpoints;
    options.stagingFolder
        = QStandardPaths::writableLocation(QStandardPaths::CacheLocation) + u"/queue"_s;
    QDir().mkpath(options.stagingFolder);
    m_queue->setOptions(options);
    m_queue->setSavedBeforeLookup(
        [this](const QString &videoId, const auto &answer) { lookUpSaved(videoId, answer); });
    m_panel->setEndpoints(endpoints);
    m_panel->setMinimumWidth(280);
    m_panel->hide(); // until the queue has a row
    m_panel->watchDrops(window);
    window->layout()->addWidget(m_panel);

    connect(m_queue, &QAbstractItemModel::rowsInserted, this, [this] {
        if (m_panel->isVisible())
            return;
        m_panel->show();
        if (!m_window->isMaximized() && !m_window->isFullScreen())
            m_window->resize(m_window->width() + m_panel->sizeHint().width(), m_window->height());
    });
    connect(m_queue, &DownloadQueue::rowFinished, this, &WindowQueue::rowFinished);
    connect(m_queue, &DownloadQueue::drained, this, [this] {
        notify(tr("The download queue is done"),
               tr("%n row(s) in the queue", nullptr, m_queue->rowCount()), QString());
    });
    connect(m_panel, &QueuePanel::folderRequested, this,
            [](const QString &folder) { QDesktopServices::openUrl(QUrl::fromLocalFile(folder)); });
    connect(m_panel, &QueuePanel::itemSelected, this, [this](const ResolveJob::Result &item) {
        if (m_screen && m_screen->textField() && !m_screen->isBusy()) {
            m_screen->textField()->setText(item.text);
            m_screen->parse();
        }
    });
    if (m_screen) {
        connect(m_screen, &ViewController::linksForQueue, this, &WindowQueue::addLinks);
        connect(m_screen, &ViewController::itemResolved, this, &WindowQueue::recordItem);
        connect(m_screen, &ViewController::downloadEnded, this,
                [this](const ItemDownloadJob::Item &item, const JobOutcome &outcome) {
                    recordFiles(item.videoId, outcome);
                    if (outcome.isDone())
                        notify(tr("Saved"),
                               item.record ? item.record->title().value_or(QString()) : QString(),
                               QFileInfo(outcome.files().value(0).path).absolutePath());
                });
    }
}

WindowQueue::~WindowQueue()
{
    delete m_panel; // it shows the queue, which goes with this object
}

void WindowQueue::applySettings(const Settings &settings)
{
    DownloadQueue::Options options = m_queue->options();
    options.nameTemplate = FileNameTemplate(settings.nameTemplate());
    m_queue->setOptions(options);
    m_queue->setParallel(settings.parallel());
    VideoAlbum::setFolders(settings.videoFolder(), settings.pictureFolder());
}

void WindowQueue::addLinks(const QStringList &links)
{
    m_queue->add(links);
}

void WindowQueue::recordItem(const ResolveJob::Result &result)
{
    if (!result.record || !result.videoId)
        return;
    HistoryItem item;
    item.id = *result.videoId;
    item.kind = result.record->kind() == VideoInfo::Kind::Gallery ? u"gallery"_s : u"video"_s;
    item.author = result.record->name().value_or(QString());
    item.title = result.record->title().value_or(QString());
    item.resolvedAt = QDateTime::currentDateTime();
    m_history->recordItem(item);
}

void WindowQueue::recordFiles(const QString &videoId, const JobOutcome &outcome)
{
    if (videoId.isEmpty())
        return;
    for (const SavedFile &saved : outcome.files()) {
        HistoryFile file;
        file.itemId = videoId;
        file.path = saved.path;
        file.size = saved.size;
        file.kind = saved.role;
        file.savedAt = QDateTime::currentDateTime();
        m_history->recordFile(file);
    }
}

void WindowQueue::rowFinished(int row, const JobOutcome &outcome)
{
    const QModelIndex index = m_queue->index(row);
    if (const std::optional<ResolveJob::Result> item = m_queue->resolution(row)) {
        recordItem(*item);
        recordFiles(item->videoId.value_or(QString()), outcome);
    }
    const QString title = index.data(DownloadQueue::TitleRole).toString();
    // A failure is worth a word at once; the saved rows are told together once the queue is done.
    if (outcome.status() == JobOutcome::Status::Failed)
        notify(tr("Download failed"),
               title + u'\n' + index.data(DownloadQueue::ReasonRole).toString(), QString());
}

// Only while the window is in the background: in front, the queue itself shows it.
void WindowQueue::notify(const QString &summary, const QString &body, const QString &folder)
{
    if (m_window->isActiveWindow())
        return;
    m_notifier->notify(summary, body, folder);
}

void WindowQueue::lookUpSaved(const QString &videoId,
                              std::function<void(const std::optional<QDateTime> &)> answer)
{
    // One answer per question, the history's or, when it cannot say within a second (a history
    // that could not be opened), none: the row must not wait for ever.
    auto *context = new QObject(this);
    auto answered = std::make_shared<bool>(false);
    const auto reply = [context, answered, answer](const std::optional<QDateTime> &saved) {
        if (std::exchange(*answered, true))
            return;
        context->deleteLater();
        answer(saved);
    };
    connect(m_history, &HistoryService::found, context,
            [reply, videoId](const QString &text, const QList<HistoryItem> &items) {
                if (text != videoId)
                    return;
                std::optional<QDateTime> saved;
                for (const HistoryItem &item : items)
                    if (item.id == videoId && item.savedAt.isValid())
                        saved = item.savedAt;
                reply(saved);
            });
    QTimer::singleShot(1000, context, [reply] { reply(std::nullopt); });
    m_history->search(videoId);
}
