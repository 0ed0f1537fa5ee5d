#include "Fen_QorInterpolatingMotionEffect.h"

Fen_QorInterpolatingMotionEffect::Fen_QorInterpolatingMotionEffect(const QString &keyPath,
                                                                   Type type)
    : m_keyPath(keyPath), m_type(type)
{ }

double
Fen_QorInterpolatingMotionEffect::relativeValueForViewerOffset(const QPointF &viewerOffset) const
{
    const double tilt = m_type == TiltAlongHorizontalAxis ? viewerOffset.x() : viewerOffset.y();
    const double share = (qBound(-1.0, tilt, 1.0) + 1.0) / 2.0;
    return m_minimumRelativeValue + share * (m_maximumRelativeValue - m_minimumRelativeValue);
}
