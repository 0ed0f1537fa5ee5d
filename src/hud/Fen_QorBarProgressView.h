#pragma once

#include <QColor>
#include <QWidget>

class QPainterPath;

/*!
 * \brief Horizontal determinate progress indicator: a capsule outline filled from the left, the
 * fill following the right cap's curve as it arrives there.
 *
 * Natural size 120 × 10; created with a 120 × 20 frame. Progress, progressColor and
 * progressRemainingColor repaint on a change only; lineColor is stored without a repaint and
 * shows at the next one. The drawing needs a height of at least 8 points for a visible fill;
 * a lower bar draws its outline only.
 */
class Fen_QorBarProgressView : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(float progress READ progress WRITE setProgress)
    Q_PROPERTY(QColor lineColor READ lineColor WRITE setLineColor)
    Q_PROPERTY(
        QColor progressRemainingColor READ progressRemainingColor WRITE setProgressRemainingColor)
    Q_PROPERTY(QColor progressColor READ progressColor WRITE setProgressColor)

public:
    /*! Creates the view with the frame (0, 0, 120, 20). */
    explicit Fen_QorBarProgressView(QWidget *parent = nullptr);
    explicit Fen_QorBarProgressView(const QRect &frame, QWidget *parent = nullptr);
    ~Fen_QorBarProgressView() override;

    float progress() const { return m_progress; }
    void setProgress(float progress);

    QColor lineColor() const { return m_lineColor; }
    void setLineColor(const QColor &color) { m_lineColor = color; }

    QColor progressRemainingColor() const { return m_progressRemainingColor; }
    /*! An invalid colour is an assertion failure ("The color should not be nil."). */
    void setProgressRemainingColor(const QColor &color);

    QColor progressColor() const { return m_progressColor; }
    /*! An invalid colour is an assertion failure ("The color should not be nil."). */
    void setProgressColor(const QColor &color);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void commonInit();
    QPainterPath outlinePath() const;
    QPainterPath completedPath() const;

    float m_progress;
    QColor m_lineColor;
    QColor m_progressRemainingColor;
    QColor m_progressColor;
};
