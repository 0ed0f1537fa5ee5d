#pragma once

#include <QPointF>

class QPainterPath;

/*!
 * \brief Arc primitives with the semantics the HUD's drawings are written in: angles in radians
 * from the positive x axis, growing clockwise on screen (y points down).
 */
namespace Fen_QorPathArcs {

/*!
 * Adds a circular arc around \a centre from \a startAngle to \a endAngle. A path with elements
 * gets a straight line to the arc's start first. \a decreasing false sweeps the way angles grow
 * (clockwise on screen); an end angle behind the start in that direction wraps round, and a
 * sweep of more than a full turn draws the full circle.
 */
void addArc(QPainterPath &path, QPointF centre, qreal radius, qreal startAngle, qreal endAngle,
            bool decreasing);

/*!
 * The tangent arc: a line from the current point towards \a corner, turning into an arc of
 * \a radius that touches both the line current point → corner and the line corner → \a towards;
 * it ends where it touches the second line. When the three points are on one line or the radius
 * is not positive, it is a line to \a corner.
 */
void addArcToPoint(QPainterPath &path, QPointF corner, QPointF towards, qreal radius);

} // namespace Fen_QorPathArcs
