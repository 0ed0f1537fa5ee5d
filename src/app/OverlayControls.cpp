#include "OverlayControls.h"

#include <QPainter>
#include <QPixmap>
#include <QToolButton>
#include <QWidget>

using namespace Qt::StringLiterals;

// The style's own symbols are dark grey, which cannot be seen on black, and its hover fills the
// button with a light highlight, under which a white symbol vanishes: the Active mode (hover) is
// white as well, and the hover fill is a faint white.
QIcon OverlayControls::icon(int size, const Symbol &symbol)
{
    QIcon icon;
    for (const auto &[mode, color] : { std::pair { QIcon::Normal, QColor(Qt::white) },
                                       std::pair { QIcon::Active, QColor(Qt::white) },
                                       std::pair { QIcon::Disabled, QColor(0x6e, 0x6e, 0x73) } }) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(color);
        symbol(painter, size);
        painter.end();
        icon.addPixmap(pixmap, mode);
    }
    return icon;
}

void OverlayControls::style(QToolButton *button, int iconSize)
{
    button->setAutoRaise(true);
    button->setIconSize(QSize(iconSize, iconSize));
    button->setFocusPolicy(Qt::StrongFocus);
    button->setStyleSheet(
        u"QToolButton { border: 2px solid transparent; border-radius: 6px; padding: 2px; }"
        "QToolButton:hover { background: rgba(255, 255, 255, 40); }"
        "QToolButton:pressed { background: rgba(255, 255, 255, 70); }"
        "QToolButton:focus { border-color: %1; }"_s.arg(focusColor.name()));
}

void OverlayControls::paintFocusRing(QWidget *widget)
{
    if (!widget->hasFocus())
        return;
    QPainter painter(widget);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(focusColor, 2));
    painter.drawRoundedRect(QRectF(widget->rect()).adjusted(1, 1, -1, -1), 6, 6);
}
