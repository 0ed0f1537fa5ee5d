#pragma once

#include <QBasicTimer>
#include <QColor>
#include <QWidget>

/*!
 * \brief The large activity spinner: twelve spokes around the centre, one of them bright, the
 * bright one stepping clockwise twelve times a second.
 *
 * Natural size 37 × 37. It spins from startAnimating() until stopAnimating() or its removal and
 * draws nothing while stopped. The step timer runs only while the spinner is animating and
 * visible, so a hidden spinner costs nothing; each step repaints once.
 */
class Fen_QorActivityIndicatorView : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(QColor color READ color WRITE setColor)

public:
    static constexpr int spokeCount = 12;
    static constexpr int stepIntervalMs = 1000 / spokeCount;

    explicit Fen_QorActivityIndicatorView(QWidget *parent = nullptr);
    ~Fen_QorActivityIndicatorView() override;

    QColor color() const { return m_color; }
    void setColor(const QColor &color);

    void startAnimating();
    void stopAnimating();
    bool isAnimating() const { return m_animating; }

    /*! True while the step timer runs (animating and visible). */
    bool isTicking() const { return m_stepTimer.isActive(); }
    /*! Index of the bright spoke, 0 at the top, counting clockwise. */
    int step() const { return m_step; }

    QSize sizeHint() const override;

protected:
    void hideEvent(QHideEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void timerEvent(QTimerEvent *event) override;

private:
    void updateTimer();

    QColor m_color;
    QBasicTimer m_stepTimer;
    bool m_animating = false;
    int m_step = 0;
};
