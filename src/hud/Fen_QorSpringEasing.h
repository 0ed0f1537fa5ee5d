#pragma once

#include <QEasingCurve>

/*!
 * \brief The easing of the HUD's show and hide animations: a critically damped spring (damping
 * ratio 1, no overshoot) starting at rest.
 *
 * The spring's position is x(t) = 1 − (1 + ωt)·e^(−ωt) over the animation's normalised time t,
 * scaled so that it reaches exactly 1 at t = 1. ω = 10 lets the spring settle within the
 * duration (the unscaled value is already 0.9995 at t = 1), as the platform's spring animations
 * of a given duration do.
 */
class Fen_QorSpringEasing
{
public:
    static constexpr qreal angularFrequency = 10.0;

    /*! The eased value at normalised time \a t (clamped to 0…1): 0 at 0, 1 at 1, rising. */
    static qreal valueForProgress(qreal t);
    static QEasingCurve curve();
};
