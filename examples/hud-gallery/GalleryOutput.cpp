#include "GallerySections.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QImage>
#include <QWidget>

namespace {

constexpr qreal pixelDensity = 2.0;

} // namespace

bool processEventsUntil(const std::function<bool()> &done, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!done() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return done();
}

bool saveWidgetImage(QWidget *widget, const QDir &out, const QString &name)
{
    if (!widget->isVisible()) {
        widget->setAttribute(Qt::WA_DontShowOnScreen);
        widget->show();
    }
    QCoreApplication::processEvents();

    QImage image(widget->size() * pixelDensity, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(pixelDensity);
    image.fill(Qt::transparent);
    widget->render(&image);
    return image.save(out.filePath(name + u".png"));
}
