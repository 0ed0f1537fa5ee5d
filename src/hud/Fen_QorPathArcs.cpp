#include "Fen_QorPathArcs.h"

#include <QPainterPath>
#include <QtMath>

#include <cmath>

namespace {

constexpr qreal twoPi = 2.0 * M_PI;

QPointF pointOnCircle(QPointF centre, qreal radius, qreal angle)
{
    return centre + QPointF(radius * std::cos(angle), radius * std::sin(angle));
}

// Sweep from start to end in the requested direction, wrapped into one turn at most.
qreal normalisedSweep(qreal startAngle, qreal endAngle, bool decreasing)
{
    qreal sweep = decreasing ? startAngle - endAngle : endAngle - startAngle;
    if (sweep < 0.0) {
        sweep = std::fmod(sweep, twoPi);
        if (sweep < 0.0)
            sweep += twoPi;
    } else if (sweep > twoPi) {
        sweep = twoPi;
    }
    return decreasing ? -sweep : sweep;
}

qreal length(QPointF v)
{
    return std::hypot(v.x(), v.y());
}

} // namespace

namespace Fen_QorPathArcs {

void addArc(QPainterPath &path, QPointF centre, qreal radius, qreal startAngle, qreal endAngle,
            bool decreasing)
{
    const QPointF start = pointOnCircle(centre, radius, startAngle);
    if (path.elementCount() == 0)
        path.moveTo(start);
    const qreal sweep = normalisedSweep(startAngle, endAngle, decreasing);
    // QPainterPath counts degrees counter-clockwise on screen, hence the sign changes.
    const QRectF box(centre.x() - radius, centre.y() - radius, 2.0 * radius, 2.0 * radius);
    path.arcTo(box, -qRadiansToDegrees(startAngle), -qRadiansToDegrees(sweep));
}

void addArcToPoint(QPainterPath &path, QPointF corner, QPointF towards, qreal radius)
{
    const QPointF current = path.currentPosition();
    const QPointF toCurrent = current - corner;
    const QPointF toTowards = towards - corner;
    const qreal lengthToCurrent = length(toCurrent);
    const qreal lengthToTowards = length(toTowards);
    if (radius <= 0.0 || lengthToCurrent == 0.0 || lengthToTowards == 0.0) {
        path.lineTo(corner);
        return;
    }
    const QPointF u = toCurrent / lengthToCurrent;
    const QPointF v = toTowards / lengthToTowards;
    const qreal cross = u.x() * v.y() - u.y() * v.x();
    const qreal dot = u.x() * v.x() + u.y() * v.y();
    const qreal angle = std::atan2(std::abs(cross), dot); // between the two legs, 0..π
    if (std::abs(cross) < 1e-12 || angle <= 0.0) {
        path.lineTo(corner);
        return;
    }
    const qreal tangentDistance = radius / std::tan(angle / 2.0);
    const QPointF firstTangent = corner + u * tangentDistance;
    const QPointF secondTangent = corner + v * tangentDistance;
    const QPointF bisector = (u + v) / length(u + v);
    const QPointF centre = corner + bisector * (radius / std::sin(angle / 2.0));

    path.lineTo(firstTangent);
    const qreal startAngle
        = std::atan2(firstTangent.y() - centre.y(), firstTangent.x() - centre.x());
    const qreal endAngle
        = std::atan2(secondTangent.y() - centre.y(), secondTangent.x() - centre.x());
    qreal sweep = endAngle - startAngle;
    // The tangent arc is always the short way round.
    if (sweep > M_PI)
        sweep -= twoPi;
    else if (sweep < -M_PI)
        sweep += twoPi;
    addArc(path, centre, radius, startAngle, startAngle + sweep, sweep < 0.0);
}

} // namespace Fen_QorPathArcs
