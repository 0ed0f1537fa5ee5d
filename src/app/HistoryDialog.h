#pragma once

#include "HistoryFile.h"
#include "HistoryItem.h"

#include <QDialog>

class HistoryModel;
class HistoryService;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTableView;

/*!
 * \brief The history: a search over the items resolved before (title, author or ID), the files
 * saved for the selected one and whether each is still there, "Show in folder", and "Open" to
 * show the item on the main screen again.
 */
class HistoryDialog : public QDialog
{
    Q_OBJECT

public:
    /*! Reads from \a service (not owned; it must outlive the dialog). */
    explicit HistoryDialog(HistoryService *service, QWidget *parent = nullptr);

    QLineEdit *searchField() const;
    QTableView *table() const;
    QListWidget *fileList() const;

    /*! Searches again with the field's text. */
    void refresh();

Q_SIGNALS:
    /*! Open: the item \a itemId is to be shown on the main screen. */
    void reopenRequested(const QString &itemId);

protected:
    void showEvent(QShowEvent *event) override;

private:
    void showFound(const QString &text, const QList<HistoryItem> &items);
    void showFiles(const QString &itemId, const QList<HistoryFile> &files);
    void selectionChanged();
    QString selectedItemId() const;
    void reopen();
    void showInFolder();

    HistoryService *m_service;
    HistoryModel *m_model;
    QLineEdit *m_search;
    QTableView *m_table;
    QListWidget *m_files;
    QLabel *m_note;
    QPushButton *m_open;
    QPushButton *m_showInFolder;
};
