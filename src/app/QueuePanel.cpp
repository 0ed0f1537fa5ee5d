#include "QueuePanel.h"

#include "DownloadQueue.h"
#include "QueueRowDelegate.h"
#include "ShareText.h"

#include <QClipboard>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QListView>
#include <QMimeData>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

QueuePanel::QueuePanel(DownloadQueue *queue, QWidget *parent) : QWidget(parent), m_queue(queue)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);

    m_header = new QToolButton(this);
    m_header->setCheckable(true);
    m_header->setChecked(true);
    m_header->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_header->setArrowType(Qt::DownArrow);
    m_header->setAutoRaise(true);
    connect(m_header, &QToolButton::toggled, this, [this](bool open) { setFolded(!open); });
    layout->addWidget(m_header);

    m_list = new QListView(this);
    m_list->setModel(m_queue);
    m_list->setItemDelegate(new QueueRowDelegate(m_list));
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setUniformItemSizes(true);
    layout->addWidget(m_list, 1);

    m_empty = new QLabel(this);
    m_empty->setWordWrap(true);
    layout->addWidget(m_empty);

    buildActions();
    layout->addWidget(m_actions);

    connect(m_list->selectionModel(), &QItemSelectionModel::currentChanged, this, [this] {
        updateActions();
        const int row = selectedRow();
        if (row >= 0)
            if (const std::optional<ResolveJob::Result> item = m_queue->resolution(row))
                Q_EMIT itemSelected(*item);
    });
    for (const auto signal :
         { &QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved })
        connect(m_queue, signal, this, [this] {
            updateHeader();
            updateActions();
        });
    connect(m_queue, &QAbstractItemModel::dataChanged, this, &QueuePanel::updateActions);

    watchDrops(this);
    retranslate();
    updateHeader();
    updateActions();
}

void QueuePanel::buildActions()
{
    m_actions = new QWidget(this);
    auto *grid = new QGridLayout(m_actions);
    grid->setContentsMargins(0, 0, 0, 0);
    const auto button = [this](int row, int column, auto action) {
        auto *b = new QPushButton(m_actions);
        static_cast<QGridLayout *>(m_actions->layout())->addWidget(b, row, column);
        connect(b, &QPushButton::clicked, this, action);
        return b;
    };
    m_pause = button(0, 0, [this] { m_queue->pause(selectedRow()); });
    m_resume = button(0, 1, [this] { m_queue->resume(selectedRow()); });
    m_retry = button(0, 2, [this] { m_queue->retry(selectedRow()); });
    m_remove = button(1, 0, [this] { m_queue->remove(selectedRow()); });
    m_openFolder = button(1, 1, [this] {
        Q_EMIT folderRequested(
            m_queue->index(selectedRow()).data(DownloadQueue::FolderRole).toString());
    });
    m_copyAddress = button(1, 2, [this] {
        QGuiApplication::clipboard()->setText(
            m_queue->index(selectedRow()).data(DownloadQueue::AddressRole).toString());
    });
}

void QueuePanel::retranslate()
{
    m_list->setAccessibleName(tr("Download queue"));
    m_list->setAccessibleDescription(
        tr("Each row is one link: its title, its state and its progress."));
    m_empty->setText(tr("Paste or drop several links to download them one after the other."));
    const struct
    {
        QPushButton *button;
        QString text, description;
    } buttons[] = {
        { m_pause, tr("Pause"), tr("Stops the selected download and keeps what it fetched") },
        { m_resume, tr("Resume"), tr("Goes on with the selected download") },
        { m_retry, tr("Retry"), tr("Resolves the selected link again and downloads it") },
        { m_remove, tr("Remove"), tr("Cancels the selected download and removes its row") },
        { m_openFolder, tr("Open folder"), tr("Shows the folder of the selected row's files") },
        { m_copyAddress, tr("Copy address"), tr("Copies the selected item's address") },
    };
    for (const auto &b : buttons) {
        b.button->setText(b.text);
        b.button->setAccessibleName(b.text);
        b.button->setAccessibleDescription(b.description);
        b.button->setToolTip(b.description);
    }
    updateHeader();
}

void QueuePanel::updateHeader()
{
    const int rows = m_queue->rowCount();
    m_header->setText(tr("Queue (%1)").arg(rows));
    m_header->setAccessibleName(tr("Queue, %n row(s)", nullptr, rows));
    m_header->setAccessibleDescription(tr("Shows or hides the download queue"));
    m_empty->setVisible(rows == 0 && !isFolded());
}

void QueuePanel::updateActions()
{
    const int row = selectedRow();
    const auto state = row >= 0 ? m_queue->state(row) : DownloadQueue::State::Waiting;
    using State = DownloadQueue::State;
    const bool running = row >= 0
        && (state == State::Waiting || state == State::Resolving || state == State::Downloading);
    m_pause->setEnabled(running);
    m_resume->setEnabled(
        row >= 0
        && (state == State::Stopped || state == State::Cancelled || state == State::SavedBefore));
    m_retry->setEnabled(
        row >= 0
        && (state == State::Failed || state == State::Cancelled || state == State::Stopped));
    m_remove->setEnabled(row >= 0);
    m_openFolder->setEnabled(
        row >= 0 && !m_queue->index(row).data(DownloadQueue::FolderRole).toString().isEmpty());
    m_copyAddress->setEnabled(
        row >= 0 && !m_queue->index(row).data(DownloadQueue::AddressRole).toString().isEmpty());
}

int QueuePanel::selectedRow() const
{
    const QModelIndex current = m_list->currentIndex();
    return current.isValid() ? current.row() : -1;
}

bool QueuePanel::isFolded() const
{
    return !m_header->isChecked();
}

void QueuePanel::setFolded(bool folded)
{
    m_header->setChecked(!folded);
    m_header->setArrowType(folded ? Qt::RightArrow : Qt::DownArrow);
    m_list->setVisible(!folded);
    m_actions->setVisible(!folded);
    updateHeader();
}

void QueuePanel::watchDrops(QWidget *widget)
{
    widget->setAcceptDrops(true);
    widget->installEventFilter(this);
}

QStringList QueuePanel::inputsFrom(const QMimeData *data, const Endpoints &endpoints)
{
    QString text;
    for (const QUrl &url : data->urls()) {
        if (!url.isLocalFile()) {
            text += url.toString() + u'\n';
            continue;
        }
        QFile file(url.toLocalFile());
        if (file.open(QIODevice::ReadOnly))
            text += QString::fromUtf8(file.read(maximumDroppedFileBytes)) + u'\n';
    }
    if (data->urls().isEmpty())
        text = data->text();
    return ShareText::queueInputs(text, endpoints);
}

bool QueuePanel::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::DragEnter || event->type() == QEvent::Drop)
        return takeDrop(event);
    return QWidget::eventFilter(watched, event);
}

// Accepts what carries text or links; on the drop, adds their links to the queue.
bool QueuePanel::takeDrop(QEvent *event)
{
    if (event->type() == QEvent::DragEnter) {
        auto *enter = static_cast<QDragEnterEvent *>(event);
        if (enter->mimeData()->hasText() || enter->mimeData()->hasUrls())
            enter->acceptProposedAction();
        return true;
    }
    auto *drop = static_cast<QDropEvent *>(event);
    const QStringList inputs = inputsFrom(drop->mimeData(), m_endpoints);
    drop->acceptProposedAction();
    if (inputs.isEmpty())
        Q_EMIT nothingToAdd();
    else
        m_queue->add(inputs);
    return true;
}

void QueuePanel::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange)
        retranslate();
    QWidget::changeEvent(event);
}
