#pragma once

#include <QGraphicsEffect>
#include <QPointF>

/*!
 * \brief A widget's alpha, scale and presentation offset, applied when the widget is painted.
 *
 * Qt widgets have no alpha or transform of their own; the HUD installs one of these on itself,
 * on its bezel and on its backdrop and animates the numbers. The scale is taken about the
 * widget's centre, the offset moves the painted image without moving the widget (layout and
 * geometry stay untouched). At alpha 0 nothing of the widget's subtree is painted. At alpha 1,
 * scale 1 and no offset the effect switches itself off and the widget paints as if it had none:
 * a resting HUD costs no more than its children, and Qt's own drawing of a pass-through effect
 * (which lands at twice the offset under QWidget::render with a shared painter) is never used.
 */
class Fen_QorAlphaTransformEffect : public QGraphicsEffect
{
    Q_OBJECT

public:
    explicit Fen_QorAlphaTransformEffect(QObject *parent = nullptr);
    ~Fen_QorAlphaTransformEffect() override;

    qreal alpha() const { return m_alpha; }
    void setAlpha(qreal alpha);

    /*! The alpha of an ancestor that draws no effect of its own (the HUD's, for its bezel and
     * backdrop): it multiplies the painted opacity without changing alpha(). Nested graphics
     * effects misbehave in Qt widgets, so an ancestor's alpha is handed down instead. */
    qreal outerAlpha() const { return m_outerAlpha; }
    void setOuterAlpha(qreal outerAlpha);

    qreal scale() const { return m_scale; }
    void setScale(qreal scale);

    QPointF translation() const { return m_translation; }
    void setTranslation(const QPointF &translation);

    QRectF boundingRectFor(const QRectF &sourceRect) const override;

    /*! The effect installed on \a widget, installing a neutral one first if it has none. */
    static Fen_QorAlphaTransformEffect *of(QWidget *widget);

protected:
    void draw(QPainter *painter) override;

private:
    qreal paintedAlpha() const { return qBound(0.0, m_alpha * m_outerAlpha, 1.0); }
    bool isNeutral() const;
    QTransform transformFor(const QRectF &sourceRect) const;

    qreal m_alpha = 1.0;
    qreal m_outerAlpha = 1.0;
    qreal m_scale = 1.0;
    QPointF m_translation;
};
