#include "VideoFrameView.h"

#include <QPainter>
#include <QVideoSink>

VideoFrameView::VideoFrameView(QWidget *parent) : QWidget(parent), m_sink(new QVideoSink(this))
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    connect(m_sink, &QVideoSink::videoFrameChanged, this, &VideoFrameView::setFrame);
}

VideoFrameView::~VideoFrameView()
{
    // A player may still push a frame while the sink, a child, is being destroyed after us.
    disconnect(m_sink, nullptr, this, nullptr);
}

QVideoSink *VideoFrameView::videoSink() const
{
    return m_sink;
}

Qt::AspectRatioMode VideoFrameView::aspectRatioMode() const
{
    return m_aspectRatioMode;
}

void VideoFrameView::setAspectRatioMode(Qt::AspectRatioMode mode)
{
    if (m_aspectRatioMode == mode)
        return;
    m_aspectRatioMode = mode;
    update();
}

bool VideoFrameView::hasFrame() const
{
    return m_frame.isValid();
}

void VideoFrameView::clear()
{
    m_frame = QVideoFrame();
    update();
}

QRect VideoFrameView::frameRect() const
{
    if (!m_frame.isValid())
        return {};
    QSize size = m_frame.size();
    size.scale(this->size(), m_aspectRatioMode);
    QRect rect(QPoint(), size);
    rect.moveCenter(this->rect().center());
    return rect;
}

void VideoFrameView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    if (!m_frame.isValid())
        return;
    // Converting only when painting keeps hidden or covered players from doing the work.
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(frameRect(), m_frame.toImage());
}

void VideoFrameView::setFrame(const QVideoFrame &frame)
{
    m_frame = frame;
    update();
}
