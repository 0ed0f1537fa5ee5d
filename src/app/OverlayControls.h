#pragma once

#include <QColor>
#include <QIcon>

#include <functional>

class QPainter;
class QToolButton;
class QWidget;

/*!
 * \brief The look of the buttons drawn over the player's and the gallery's black: white symbols
 * that stay white under the mouse, a faint fill on hover and a ring that marks the focus.
 */
namespace OverlayControls {

/*! The colour of the focus ring. */
inline const QColor focusColor { 0x0a, 0x84, 0xff };

/*! Draws one symbol into a square of \a size pixels; the painter's brush holds the colour. */
using Symbol = std::function<void(QPainter &painter, qreal size)>;

/*! \a symbol at \a size pixels: white while enabled (hovered or not), grey when disabled. */
QIcon icon(int size, const Symbol &symbol);

/*! Gives \a button the overlay look with icons of \a iconSize pixels. */
void style(QToolButton *button, int iconSize);

/*! Marks the focus of \a widget, a view without a mark of its own, with a ring at its edge. */
void paintFocusRing(QWidget *widget);

} // namespace OverlayControls
