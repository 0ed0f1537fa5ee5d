#pragma once

#include "HistoryItem.h"

#include <QAbstractTableModel>
#include <QList>

/*! \brief The items of a history search as a table: title, author, ID and when saved. */
class HistoryModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column { Title, Author, Id, Saved, ColumnCount };

    explicit HistoryModel(QObject *parent = nullptr);

    void setItems(const QList<HistoryItem> &items);
    HistoryItem item(int row) const;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    QString savedText(const HistoryItem &item) const;

    QList<HistoryItem> m_items;
};
