#include "Fen_QorRoundProgressView.h"

#include "Fen_QorColorField.h"
#include "Fen_QorPathArcs.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>

namespace {

constexpr int naturalSide = 37;
// The drawing's angles are single-precision values widened to double.
constexpr float startAngle = -static_cast<float>(M_PI / 2.0);
constexpr float singlePi = 3.14159274f;
constexpr float fullTurn = 2.0f * singlePi;

qreal endAngleFor(float progress)
{
    const float sweep = progress * 2.0f * singlePi;
    // A clockwise arc whose end lies behind its start would go the long way round and show a
    // negative progress as nearly complete; below zero there is nothing to show.
    if (!(sweep > 0.0f))
        return static_cast<qreal>(startAngle);
    return static_cast<qreal>(startAngle) + static_cast<qreal>(sweep);
}

QPainterPath arcPath(QPointF centre, qreal radius, qreal endAngle)
{
    QPainterPath path;
    Fen_QorPathArcs::addArc(path, centre, radius, startAngle, endAngle, false);
    return path;
}

} // namespace

Fen_QorRoundProgressView::Fen_QorRoundProgressView(QWidget *parent)
    : Fen_QorRoundProgressView(QRect(0, 0, naturalSide, naturalSide), parent)
{ }

Fen_QorRoundProgressView::Fen_QorRoundProgressView(const QRect &frame, QWidget *parent)
    : QWidget(parent)
    , m_progress(0.0f)
    , m_progressTintColor(QColor::fromRgbF(1.0f, 1.0f, 1.0f, 1.0f))
    , m_backgroundTintColor(QColor::fromRgbF(1.0f, 1.0f, 1.0f, 0.1f))
    , m_annular(false)
{
    setGeometry(frame);
    commonInit();
}

Fen_QorRoundProgressView::~Fen_QorRoundProgressView() = default;

void Fen_QorRoundProgressView::commonInit()
{
    // Transparent and non-opaque: only the strokes show.
    setAutoFillBackground(false);
    setAttribute(Qt::WA_OpaquePaintEvent, false);
}

void Fen_QorRoundProgressView::setProgress(float progress)
{
    if (progress == m_progress)
        return;
    m_progress = progress;
    update();
}

void Fen_QorRoundProgressView::setProgressTintColor(const QColor &color)
{
    if (Fen_QorStoreColorIfChanged(m_progressTintColor, color))
        update();
}

void Fen_QorRoundProgressView::setBackgroundTintColor(const QColor &color)
{
    if (Fen_QorStoreColorIfChanged(m_backgroundTintColor, color))
        update();
}

QSize Fen_QorRoundProgressView::sizeHint() const
{
    return QSize(naturalSide, naturalSide);
}

void Fen_QorRoundProgressView::paintEvent(QPaintEvent *)
{
    if (m_annular) {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        drawAnnular(painter);
        return;
    }
    // The band replaces the outline beneath it (copy blending). That must act on this view's
    // own pixels only, not on what the parent painted, so the view is drawn into a layer first.
    QPainter painter(this);
    const qreal ratio = painter.device()->devicePixelRatioF();
    QImage layer(size() * ratio, QImage::Format_ARGB32_Premultiplied);
    layer.setDevicePixelRatio(ratio);
    layer.fill(Qt::transparent);
    {
        QPainter layerPainter(&layer);
        layerPainter.setRenderHint(QPainter::Antialiasing);
        drawPie(layerPainter);
    }
    painter.drawImage(QPointF(0.0, 0.0), layer);
}

void Fen_QorRoundProgressView::drawAnnular(QPainter &painter) const
{
    const QPointF centre = QRectF(rect()).center();
    const qreal lineWidth = 2.0;
    const qreal radius = (width() - lineWidth) / 2.0;

    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(m_backgroundTintColor, lineWidth, Qt::SolidLine, Qt::FlatCap));
    painter.drawPath(
        arcPath(centre, radius, static_cast<qreal>(startAngle) + static_cast<qreal>(fullTurn)));

    painter.setPen(QPen(m_progressTintColor, lineWidth, Qt::SolidLine, Qt::SquareCap));
    painter.drawPath(arcPath(centre, radius, endAngleFor(m_progress)));
}

void Fen_QorRoundProgressView::drawPie(QPainter &painter) const
{
    const qreal outlineWidth = 2.0;
    const QRectF bounds(rect());
    painter.setPen(QPen(m_progressTintColor, outlineWidth));
    painter.setBrush(Qt::NoBrush);
    const qreal inset = outlineWidth / 2.0;
    painter.drawEllipse(bounds.adjusted(inset, inset, -inset, -inset));

    const qreal bandWidth = outlineWidth * 2.0;
    const qreal radius = bounds.width() / 2.0 - bandWidth / 2.0;
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.setPen(QPen(m_progressTintColor, bandWidth, Qt::SolidLine, Qt::FlatCap));
    painter.drawPath(arcPath(bounds.center(), radius, endAngleFor(m_progress)));
}
