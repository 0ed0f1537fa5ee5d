#pragma once

#include <QColor>
#include <QWidget>

/*!
 * \brief Circular determinate progress indicator: a pie-like band inside an outline, or, when
 * annular, a thin ring over a faint background ring.
 *
 * Natural size 37 × 37. Setters of progress and of the two tints compare before acting and
 * repaint only on a change; setAnnular() stores the flag only, so it shows at the next repaint.
 */
class Fen_QorRoundProgressView : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(float progress READ progress WRITE setProgress)
    Q_PROPERTY(QColor progressTintColor READ progressTintColor WRITE setProgressTintColor)
    Q_PROPERTY(QColor backgroundTintColor READ backgroundTintColor WRITE setBackgroundTintColor)
    Q_PROPERTY(bool annular READ isAnnular WRITE setAnnular)

public:
    /*! Creates the view with the frame (0, 0, 37, 37). */
    explicit Fen_QorRoundProgressView(QWidget *parent = nullptr);
    explicit Fen_QorRoundProgressView(const QRect &frame, QWidget *parent = nullptr);
    ~Fen_QorRoundProgressView() override;

    float progress() const { return m_progress; }
    void setProgress(float progress);

    QColor progressTintColor() const { return m_progressTintColor; }
    /*! An invalid colour is an assertion failure ("The color should not be nil."). */
    void setProgressTintColor(const QColor &color);

    QColor backgroundTintColor() const { return m_backgroundTintColor; }
    /*! An invalid colour is an assertion failure ("The color should not be nil."). */
    void setBackgroundTintColor(const QColor &color);

    bool isAnnular() const { return m_annular; }
    void setAnnular(bool annular) { m_annular = annular; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void commonInit();
    void drawAnnular(QPainter &painter) const;
    void drawPie(QPainter &painter) const;

    float m_progress;
    QColor m_progressTintColor;
    QColor m_backgroundTintColor;
    bool m_annular;
};
