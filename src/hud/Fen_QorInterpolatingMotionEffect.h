#pragma once

#include <QPointF>
#include <QString>

/*!
 * \brief Shifts one property of a view with the viewer's tilt along one axis, between a minimum
 * and a maximum relative value.
 *
 * The tilt on each axis runs from −1 to 1; −1 gives the minimum relative value, 1 the maximum,
 * 0 the value halfway between them. Key paths understood by Fen_QorMotionEffectGroup are
 * "center.x" and "center.y".
 */
class Fen_QorInterpolatingMotionEffect
{
public:
    enum Type : qint64 {
        TiltAlongHorizontalAxis = 0,
        TiltAlongVerticalAxis = 1,
    };

    Fen_QorInterpolatingMotionEffect(const QString &keyPath, Type type);

    QString keyPath() const { return m_keyPath; }
    Type type() const { return m_type; }

    double minimumRelativeValue() const { return m_minimumRelativeValue; }
    void setMinimumRelativeValue(double value) { m_minimumRelativeValue = value; }

    double maximumRelativeValue() const { return m_maximumRelativeValue; }
    void setMaximumRelativeValue(double value) { m_maximumRelativeValue = value; }

    /*! The relative value for the tilt \a viewerOffset (each axis clamped to −1…1). */
    double relativeValueForViewerOffset(const QPointF &viewerOffset) const;

private:
    QString m_keyPath;
    Type m_type;
    double m_minimumRelativeValue = 0.0;
    double m_maximumRelativeValue = 0.0;
};
