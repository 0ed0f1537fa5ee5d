#include "HistoryDialog.h"

#include "HistoryModel.h"
#include "HistoryService.h"

#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableView>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

HistoryDialog::HistoryDialog(HistoryService *service, QWidget *parent)
    : QDialog(parent)
    , m_service(service)
    , m_model(new HistoryModel(this))
    , m_search(new QLineEdit(this))
    , m_table(new QTableView(this))
    , m_files(new QListWidget(this))
    , m_note(new QLabel(this))
    , m_open(new QPushButton(tr("&Open"), this))
    , m_showInFolder(new QPushButton(tr("&Show in folder"), this))
{
    setWindowTitle(tr("History"));
    resize(640, 480);
    m_search->setPlaceholderText(tr("Search by title, author or ID"));
    m_search->setAccessibleName(tr("Search the history"));
    m_search->setClearButtonEnabled(true);
    // Qt's clear button carries no name of its own.
    const QList<QToolButton *> clearButtons = m_search->findChildren<QToolButton *>();
    for (QToolButton *clear : clearButtons)
        clear->setAccessibleName(tr("Clear the search"));
    m_table->setModel(m_model);
    m_table->setAccessibleName(tr("Items resolved before"));
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_table->horizontalHeader()->setSectionResizeMode(HistoryModel::Title, QHeaderView::Stretch);
    m_table->setWordWrap(false);
    m_table->verticalHeader()->hide();
    m_files->setAccessibleName(tr("Files saved for the item"));
    m_note->setWordWrap(true);
    m_note->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_open->setAccessibleDescription(tr("Shows the item on the main screen"));

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->addButton(m_open, QDialogButtonBox::ActionRole);
    buttons->addButton(m_showInFolder, QDialogButtonBox::ActionRole);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_search);
    layout->addWidget(m_table, 3);
    layout->addWidget(m_files, 1);
    layout->addWidget(m_note);
    layout->addWidget(buttons);

    connect(m_search, &QLineEdit::textChanged, this, &HistoryDialog::refresh);
    connect(m_service, &HistoryService::found, this, &HistoryDialog::showFound);
    connect(m_service, &HistoryService::filesListed, this, &HistoryDialog::showFiles);
    connect(m_table->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &HistoryDialog::selectionChanged);
    connect(m_table, &QTableView::activated, this, &HistoryDialog::reopen);
    connect(m_open, &QPushButton::clicked, this, &HistoryDialog::reopen);
    connect(m_showInFolder, &QPushButton::clicked, this, &HistoryDialog::showInFolder);
    selectionChanged();
}

QLineEdit *HistoryDialog::searchField() const
{
    return m_search;
}

QTableView *HistoryDialog::table() const
{
    return m_table;
}

QListWidget *HistoryDialog::fileList() const
{
    return m_files;
}

void HistoryDialog::refresh()
{
    m_service->search(m_search->text().trimmed());
}

void HistoryDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    refresh();
}

// Answers to searches the field no longer holds are passed over.
void HistoryDialog::showFound(const QString &text, const QList<HistoryItem> &items)
{
    if (text != m_search->text().trimmed())
        return;
    m_model->setItems(items);
    m_note->setText(items.isEmpty() ? tr("Nothing found") : QString());
    if (!items.isEmpty())
        m_table->selectRow(0);
    selectionChanged();
}

void HistoryDialog::showFiles(const QString &itemId, const QList<HistoryFile> &files)
{
    if (itemId != selectedItemId())
        return;
    m_files->clear();
    for (const HistoryFile &file : files) {
        const QString path = QDir::toNativeSeparators(file.path);
        auto *entry = new QListWidgetItem(file.exists ? path : tr("%1 (no longer there)").arg(path),
                                          m_files);
        entry->setData(Qt::UserRole, file.path);
        if (!file.exists)
            entry->setForeground(palette().color(QPalette::Disabled, QPalette::Text));
    }
    if (!files.isEmpty())
        m_files->setCurrentRow(0);
    m_showInFolder->setEnabled(!files.isEmpty());
}

void HistoryDialog::selectionChanged()
{
    const QString id = selectedItemId();
    m_files->clear();
    m_open->setEnabled(!id.isEmpty());
    m_showInFolder->setEnabled(false);
    if (!id.isEmpty())
        m_service->listFiles(id);
}

QString HistoryDialog::selectedItemId() const
{
    const QModelIndexList rows = m_table->selectionModel()->selectedRows();
    return rows.isEmpty() ? QString() : m_model->item(rows.constFirst().row()).id;
}

void HistoryDialog::reopen()
{
    const QString id = selectedItemId();
    if (id.isEmpty())
        return;
    Q_EMIT reopenRequested(id);
    accept();
}

// The folder of the selected file; where no file manager answers, the note says where it is.
void HistoryDialog::showInFolder()
{
    const QListWidgetItem *entry = m_files->currentItem();
    if (!entry)
        return;
    const QString folder = QFileInfo(entry->data(Qt::UserRole).toString()).absolutePath();
    if (!QFileInfo(folder).isDir()) {
        m_note->setText(
            tr("The folder %1 is no longer there").arg(QDir::toNativeSeparators(folder)));
        return;
    }
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(folder)))
        m_note->setText(
            tr("No file manager answered. The folder is %1").arg(QDir::toNativeSeparators(folder)));
}
