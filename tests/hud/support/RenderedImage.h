#pragma once

#include <QImage>
#include <QWidget>

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
