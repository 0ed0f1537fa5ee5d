#include "Fen_QorBarProgressView.h"

#include "Fen_QorColorField.h"
#include "Fen_QorPathArcs.h"

#include <QPainter>
#include <QPainterPath>

#include <cmath>

using Fen_QorPathArcs::addArc;
using Fen_QorPathArcs::addArcToPoint;

Fen_QorBarProgressView::Fen_QorBarProgressView(QWidget *parent)
    : Fen_QorBarProgressView(QRect(0, 0, 120, 20), parent)
{ }

Fen_QorBarProgressView::Fen_QorBarProgressView(const QRect &frame, QWidget *parent)
    : QWidget(parent)
    , m_progress(0.0f)
    , m_lineColor(Qt::white)
    , m_progressRemainingColor(Qt::transparent)
    , m_progressColor(Qt::white)
{
    setGeometry(frame);
    commonInit();
}

Fen_QorBarProgressView::~Fen_QorBarProgressView() = default;

void Fen_QorBarProgressView::commonInit()
{
    setAutoFillBackground(false);
    setAttribute(Qt::WA_OpaquePaintEvent, false);
}

void Fen_QorBarProgressView::setProgress(float progress)
{
    if (progress == m_progress)
        return;
    m_progress = progress;
    update();
}

void Fen_QorBarProgressView::setProgressRemainingColor(const QColor &color)
{
    if (Fen_QorStoreColorIfChanged(m_progressRemainingColor, color))
        update();
}

void Fen_QorBarProgressView::setProgressColor(const QColor &color)
{
    if (Fen_QorStoreColorIfChanged(m_progressColor, color))
        update();
}

QSize Fen_QorBarProgressView::sizeHint() const
{
    return QSize(120, 10);
}

void Fen_QorBarProgressView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);

    // The line colour is stored unchecked; an invalid one draws no outline rather than black.
    if (m_lineColor.isValid())
        painter.setPen(QPen(m_lineColor, 2.0, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
    else
        painter.setPen(Qt::NoPen);
    painter.setBrush(m_progressRemainingColor);
    painter.drawPath(outlinePath());

    painter.setPen(Qt::NoPen);
    painter.setBrush(m_progressColor);
    painter.drawPath(completedPath());
}

QPainterPath Fen_QorBarProgressView::outlinePath() const
{
    const qreal w = width();
    const qreal h = height();
    // A bar lower than 4 points has no room for round ends.
    const qreal radius = qMax(0.0, h / 2.0 - 2.0);

    QPainterPath path;
    path.moveTo(2.0, h / 2.0);
    addArcToPoint(path, QPointF(2.0, 2.0), QPointF(radius + 2.0, 2.0), radius);
    addArcToPoint(path, QPointF(w - 2.0, 2.0), QPointF(w - 2.0, h / 2.0), radius);
    addArcToPoint(path, QPointF(w - 2.0, h - 2.0), QPointF(w - radius - 2.0, h - 2.0), radius);
    addArcToPoint(path, QPointF(2.0, h - 2.0), QPointF(2.0, h / 2.0), radius);
    return path;
}

QPainterPath Fen_QorBarProgressView::completedPath() const
{
    const qreal w = width();
    const qreal h = height();
    const qreal r = h / 2.0 - 4.0;
    const qreal cy = h / 2.0;
    const qreal amount = static_cast<qreal>(m_progress) * w;
    const qreal rightCapX = w - r - 4.0;

    QPainterPath path;
    // At 8 points or less there is no inside left to fill.
    if (r <= 0.0)
        return path;

    // Both halves start with the left cap's quarter, from the centre line outwards.
    auto leftQuarter = [&](qreal edgeY) {
        path.moveTo(4.0, cy);
        addArcToPoint(path, QPointF(4.0, edgeY), QPointF(r + 4.0, edgeY), r);
    };

    if (r + 4.0 <= amount && amount <= rightCapX) {
        leftQuarter(4.0);
        path.lineTo(amount, 4.0);
        path.lineTo(amount, r + 4.0);
        leftQuarter(h - 4.0);
        path.lineTo(amount, h - 4.0);
        path.lineTo(amount, r + 4.0);
    } else if (amount > r + 4.0) {
        const qreal t = (amount - rightCapX) / r;
        // Beyond the cap arccos has no value: the whole cap is filled.
        const qreal upperAngle = t > 1.0 ? 0.0 : -std::acos(t);
        const qreal lowerAngle = t > 1.0 ? 0.0 : std::acos(t);
        leftQuarter(4.0);
        path.lineTo(rightCapX, 4.0);
        addArc(path, QPointF(rightCapX, cy), r, M_PI, upperAngle, false);
        path.lineTo(amount, cy);
        leftQuarter(h - 4.0);
        path.lineTo(rightCapX, h - 4.0);
        addArc(path, QPointF(rightCapX, cy), r, -M_PI, lowerAngle, true);
        path.lineTo(amount, cy);
    } else if (amount > 0.0) {
        leftQuarter(4.0);
        path.lineTo(r + 4.0, cy);
        leftQuarter(h - 4.0);
        path.lineTo(r + 4.0, cy);
    }
    path.setFillRule(Qt::WindingFill);
    return path;
}
