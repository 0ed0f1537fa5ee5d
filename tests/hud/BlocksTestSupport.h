#pragma once

#include "Fen_QorAssert.h"

#include <QColor>
#include <QCoreApplication>
#include <QEvent>
#include <QImage>
#include <QWidget>

#include <stdexcept>

// Helpers shared by the building-block suites.

/*! Thrown by throwingAssertionHandler so a suite can observe an assertion failure. */
struct AssertionFailure : std::runtime_error
{
    using std::runtime_error::runtime_error;
};

inline void throwingAssertionHandler(const char *message, const char *, int)
{
    throw AssertionFailure(message);
}

/*! Installs the throwing handler for its lifetime. */
class ThrowingAssertions
{
public:
    ThrowingAssertions() : m_previous(Fen_QorSetAssertionHandler(&throwingAssertionHandler)) { }
    ~ThrowingAssertions() { Fen_QorSetAssertionHandler(m_previous); }
    ThrowingAssertions(const ThrowingAssertions &) = delete;
    ThrowingAssertions &operator=(const ThrowingAssertions &) = delete;

private:
    Fen_QorAssertionHandler m_previous;
};

/*! Counts the paint events a widget receives. */
class PaintCounter : public QObject
{
public:
    explicit PaintCounter(QWidget *widget) { widget->installEventFilter(this); }
    int count = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++count;
        return false;
    }
};

/*!
 * Renders \a widget with its children into a transparent image of its size; a window's own
 * background is left out, so a top-level view shows only what it paints.
 */
inline QImage renderedImage(QWidget &widget, qreal pixelRatio = 1.0)
{
    QImage image(widget.size() * pixelRatio, QImage::Format_ARGB32);
    image.setDevicePixelRatio(pixelRatio);
    image.fill(Qt::transparent);
    widget.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

/*!
 * What the pixel at \a point shows, told apart by distinct opaque test colours: 'E' empty
 * (nearly transparent), 'R' red, 'G' green, 'B' blue, 'O' anything else (a partial edge, a mix).
 */
inline char shadeAt(const QImage &image, QPoint point)
{
    const QRgb pixel = image.pixel(point);
    if (qAlpha(pixel) < 40)
        return 'E';
    const int r = qRed(pixel), g = qGreen(pixel), b = qBlue(pixel);
    if (qAlpha(pixel) < 200)
        return 'O';
    if (r > 200 && g < 60 && b < 60)
        return 'R';
    if (g > 200 && r < 60 && b < 60)
        return 'G';
    if (b > 200 && r < 60 && g < 60)
        return 'B';
    return 'O';
}
