#include "Fen_QorAlphaTransformEffect.h"

#include <QPainter>
#include <QWidget>

Fen_QorAlphaTransformEffect::Fen_QorAlphaTransformEffect(QObject *parent) : QGraphicsEffect(parent)
{ }

Fen_QorAlphaTransformEffect::~Fen_QorAlphaTransformEffect() = default;

void Fen_QorAlphaTransformEffect::setAlpha(qreal alpha)
{
    if (alpha == m_alpha)
        return;
    m_alpha = alpha;
    setEnabled(!isNeutral());
    update();
}

void Fen_QorAlphaTransformEffect::setOuterAlpha(qreal outerAlpha)
{
    if (outerAlpha == m_outerAlpha)
        return;
    m_outerAlpha = outerAlpha;
    setEnabled(!isNeutral());
    update();
}

void Fen_QorAlphaTransformEffect::setScale(qreal scale)
{
    if (scale == m_scale)
        return;
    m_scale = scale;
    setEnabled(!isNeutral());
    updateBoundingRect();
    update();
}

void Fen_QorAlphaTransformEffect::setTranslation(const QPointF &translation)
{
    if (translation == m_translation)
        return;
    m_translation = translation;
    setEnabled(!isNeutral());
    updateBoundingRect();
    update();
}

QRectF Fen_QorAlphaTransformEffect::boundingRectFor(const QRectF &sourceRect) const
{
    // The union keeps the area the widget covered before a change in the repaint.
    return transformFor(sourceRect).mapRect(sourceRect).united(sourceRect);
}

Fen_QorAlphaTransformEffect *Fen_QorAlphaTransformEffect::of(QWidget *widget)
{
    auto *effect = qobject_cast<Fen_QorAlphaTransformEffect *>(widget->graphicsEffect());
    if (!effect) {
        // Parentless: the widget alone owns its effect.
        effect = new Fen_QorAlphaTransformEffect;
        effect->setEnabled(false);
        widget->setGraphicsEffect(effect);
    }
    return effect;
}

void Fen_QorAlphaTransformEffect::draw(QPainter *painter)
{
    if (paintedAlpha() <= 0.0)
        return;
    QPoint offset;
    const QPixmap pixmap = sourcePixmap(Qt::LogicalCoordinates, &offset, NoPad);
    if (pixmap.isNull())
        return;
    painter->save();
    painter->setOpacity(painter->opacity() * paintedAlpha());
    painter->setRenderHint(QPainter::SmoothPixmapTransform);
    painter->setTransform(transformFor(sourceBoundingRect(Qt::LogicalCoordinates)), true);
    painter->drawPixmap(offset, pixmap);
    painter->restore();
}

bool Fen_QorAlphaTransformEffect::isNeutral() const
{
    return paintedAlpha() >= 1.0 && m_scale == 1.0 && m_translation.isNull();
}

QTransform Fen_QorAlphaTransformEffect::transformFor(const QRectF &sourceRect) const
{
    const QPointF centre = sourceRect.center();
    QTransform transform;
    transform.translate(centre.x() + m_translation.x(), centre.y() + m_translation.y());
    transform.scale(m_scale, m_scale);
    transform.translate(-centre.x(), -centre.y());
    return transform;
}
