#pragma once

#include <QVideoFrame>
#include <QWidget>

class QVideoSink;

/*!
 * \brief Paints the frames of a video sink, scaled to fit inside the widget with their aspect
 * ratio kept (Qt::KeepAspectRatio), on black.
 *
 * The picture is painted as part of the widget tree rather than in a native child window, so
 * overlays such as the HUD stack above it like over any other widget.
 */
class VideoFrameView : public QWidget
{
    Q_OBJECT

public:
    explicit VideoFrameView(QWidget *parent = nullptr);
    ~VideoFrameView() override;

    QVideoSink *videoSink() const;

    Qt::AspectRatioMode aspectRatioMode() const;
    void setAspectRatioMode(Qt::AspectRatioMode mode);

    /*! True once a frame has arrived since the last clear(). */
    bool hasFrame() const;
    /*! Forgets the last frame: the view shows black until the next one. */
    void clear();

    /*! Where the current frame is painted, in widget coordinates (empty without a frame). */
    QRect frameRect() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void setFrame(const QVideoFrame &frame);

    QVideoSink *m_sink;
    QVideoFrame m_frame;
    Qt::AspectRatioMode m_aspectRatioMode = Qt::KeepAspectRatio;
};
