#pragma once

#include <QGraphicsEffect>
#include <QPointF>

/*!
 * \brief A widget's alpha, scale and presentation offset, applied when the widget is painted.
 *
 * Qt widgets have no alpha or transform of their own; the HUD installs one of these on itself,
 * on its bezel and on its backdrop and animates the numbers. The scale is taken about the
 * widget's centre, the offset moves the painted image without moving the widget (layout and
 * geometry stay untouched). At alpha 0 nothing of the widget's subtree is painted; at alpha 1,
 * scale 1 and no offset the widget paints directly, without an intermediate pixmap, so a resting
 * HUD costs no more than its children.
 */
class Fen_QorAlphaTransformEffect : public QGraphicsEffect
{
    Q_OBJECT

public:
    explicit Fen_QorAlphaTransformEffect(QObject *parent = nullptr);
    ~Fen_QorAlphaTransformEffect() override;

    qreal alpha() const { return m_alpha; }
    void setAlpha(qreal alpha);

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
    bool isNeutral() const;
    QTransform transformFor(const QRectF &sourceRect) const;

    qreal m_alpha = 1.0;
    qreal m_scale = 1.0;
    QPointF m_translation;
};
