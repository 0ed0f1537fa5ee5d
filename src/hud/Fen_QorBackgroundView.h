#pragma once

#include "Fen_QorEnums.h"

#include <QColor>
#include <QPointer>
#include <QWidget>

/*!
 * \brief The HUD's panel and backdrop: a view filled with a plain colour, or a blur of what lies
 * behind it tinted by that colour.
 *
 * In the blur style a Fen_QorBlurEffectView fills the view behind all other children
 * (effectView()). color() is the view's own background colour beneath it. The view has no size
 * of its own (sizeHint() is 0 × 0) and paints with rounded corners of cornerRadius().
 * Blur effect styles are those of Fen_QorBlurEffectStyle: 0 extra light, 1 light (the default),
 * 2 dark.
 */
class Fen_QorBackgroundView : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(QColor color READ color WRITE setColor)

public:
    explicit Fen_QorBackgroundView(QWidget *parent = nullptr);
    explicit Fen_QorBackgroundView(const QRect &frame, QWidget *parent = nullptr);
    ~Fen_QorBackgroundView() override;

    Fen_QorProgressHUDBackgroundStyle style() const { return m_style; }
    void setStyle(Fen_QorProgressHUDBackgroundStyle style);

    qint64 blurEffectStyle() const { return m_blurEffectStyle; }
    void setBlurEffectStyle(qint64 blurEffectStyle);

    QColor color() const { return m_color; }
    /*! An invalid colour is an assertion failure ("The color should not be nil."). */
    void setColor(const QColor &color);

    /*! The blur view currently installed, or nullptr. */
    QWidget *effectView() const { return m_effectView; }
    /*! Stores \a effectView without any other effect. */
    void setEffectView(QWidget *effectView) { m_effectView = effectView; }

    /*! The view's own background colour, painted beneath every child. */
    QColor backgroundColor() const { return m_backgroundColor; }
    void setBackgroundColor(const QColor &backgroundColor);

    qreal cornerRadius() const { return m_cornerRadius; }
    void setCornerRadius(qreal cornerRadius);

    /*! Rebuilds the view for the current style: drops the blur view, creates a new one if blurred. */
    void updateForBackgroundStyle();
    /*! Sets the view's own background colour to color(); the argument is not consulted. */
    void updateViewsForColor(const QColor &color);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void commonInit();

    Fen_QorProgressHUDBackgroundStyle m_style;
    qint64 m_blurEffectStyle;
    QColor m_color;
    QColor m_backgroundColor;
    qreal m_cornerRadius = 0.0;
    QPointer<QWidget> m_effectView;
};
