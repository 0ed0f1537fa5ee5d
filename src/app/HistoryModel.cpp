#include "HistoryModel.h"

#include <QLocale>

HistoryModel::HistoryModel(QObject *parent) : QAbstractTableModel(parent) { }

void HistoryModel::setItems(const QList<HistoryItem> &items)
{
    beginResetModel();
    m_items = items;
    endResetModel();
}

HistoryItem HistoryModel::item(int row) const
{
    return m_items.value(row);
}

int HistoryModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_items.size());
}

int HistoryModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QString HistoryModel::savedText(const HistoryItem &item) const
{
    if (item.savedAt.isNull())
        return tr("Not saved");
    return tr("Saved on %1")
        .arg(QLocale().toString(item.savedAt.toLocalTime(), QLocale::ShortFormat));
}

QVariant HistoryModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_items.size())
        return {};
    const HistoryItem &item = m_items.at(index.row());
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole && role != Qt::AccessibleTextRole)
        return {};
    switch (index.column()) {
    case Title:
        return item.title;
    case Author:
        return item.author;
    case Id:
        return item.id;
    case Saved:
        return savedText(item);
    default:
        return {};
    }
}

QVariant HistoryModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case Title:
        return tr("Title");
    case Author:
        return tr("Author");
    case Id:
        return tr("ID");
    case Saved:
        return tr("Saved");
    default:
        return {};
    }
}
