#pragma once

#include <QStyledItemDelegate>

/*!
 * \brief Draws a queue row: the title, a line of where it stands and, while it downloads, a
 * progress bar.
 */
class QueueRowDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
};
