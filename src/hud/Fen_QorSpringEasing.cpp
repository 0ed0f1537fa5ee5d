#include "Fen_QorSpringEasing.h"

#include <cmath>

namespace {

qreal springPosition(qreal t)
{
    const qreal omegaT = Fen_QorSpringEasing::angularFrequency * t;
    return 1.0 - (1.0 + omegaT) * std::exp(-omegaT);
}

} // namespace

qreal Fen_QorSpringEasing::valueForProgress(qreal t)
{
    static const qreal endPosition = springPosition(1.0);
    return springPosition(qBound(0.0, t, 1.0)) / endPosition;
}

QEasingCurve Fen_QorSpringEasing::curve()
{
    QEasingCurve curve;
    curve.setCustomType(&Fen_QorSpringEasing::valueForProgress);
    return curve;
}
