#include "QueueRowDelegate.h"

#include "DownloadQueue.h"

#include <QApplication>
#include <QPainter>
#include <QStyleOptionProgressBar>

namespace {
constexpr int margin = 6;
constexpr int barHeight = 6;
} // namespace

void QueueRowDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                             const QModelIndex &index) const
{
    QStyleOptionViewItem item = option;
    initStyleOption(&item, index);
    item.text.clear();
    QStyle *style = item.widget ? item.widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &item, painter, item.widget);

    const QRect area = option.rect.adjusted(margin, margin, -margin, -margin);
    const bool selected = option.state & QStyle::State_Selected;
    painter->save();
    painter->setPen(option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
    QFont bold = option.font;
    bold.setBold(true);
    const int line = option.fontMetrics.height();
    painter->setFont(bold);
    const QString title = index.data(DownloadQueue::TitleRole).toString();
    painter->drawText(QRect(area.left(), area.top(), area.width(), line), Qt::AlignLeft,
                      QFontMetrics(bold).elidedText(title, Qt::ElideRight, area.width()));
    painter->setFont(option.font);
    const QString status = index.data(Qt::AccessibleDescriptionRole).toString();
    painter->drawText(QRect(area.left(), area.top() + line, area.width(), line), Qt::AlignLeft,
                      option.fontMetrics.elidedText(status, Qt::ElideRight, area.width()));
    painter->restore();

    const auto state = index.data(DownloadQueue::StateRole).value<DownloadQueue::State>();
    if (state != DownloadQueue::State::Downloading)
        return;
    QStyleOptionProgressBar bar;
    bar.rect = QRect(area.left(), area.top() + 2 * line + 2, area.width(), barHeight);
    bar.state = option.state | QStyle::State_Horizontal;
    const qint64 total = index.data(DownloadQueue::TotalRole).toLongLong();
    const qint64 received = index.data(DownloadQueue::ReceivedRole).toLongLong();
    bar.minimum = 0;
    bar.maximum = total > 0 ? 1000 : 0; // 0 and 0: busy, while the size is unknown
    bar.progress = total > 0 ? int(1000 * qMin(received, total) / total) : 0;
    style->drawControl(QStyle::CE_ProgressBar, &bar, painter, item.widget);
}

QSize QueueRowDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &) const
{
    return QSize(option.rect.width(), 2 * margin + 2 * option.fontMetrics.height() + barHeight + 4);
}
