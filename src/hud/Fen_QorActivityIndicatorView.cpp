#include "Fen_QorActivityIndicatorView.h"

#include <QPainter>
#include <QTimerEvent>

namespace {

constexpr int naturalSide = 37;

} // namespace

Fen_QorActivityIndicatorView::Fen_QorActivityIndicatorView(QWidget *parent)
    : QWidget(parent), m_color(QColor::fromRgbF(0.6f, 0.6f, 0.6f, 1.0f))
{
    resize(naturalSide, naturalSide);
}

Fen_QorActivityIndicatorView::~Fen_QorActivityIndicatorView() = default;

void Fen_QorActivityIndicatorView::setColor(const QColor &color)
{
    if (color == m_color)
        return;
    m_color = color;
    update();
}

void Fen_QorActivityIndicatorView::startAnimating()
{
    if (m_animating)
        return;
    m_animating = true;
    updateTimer();
    update();
}

void Fen_QorActivityIndicatorView::stopAnimating()
{
    if (!m_animating)
        return;
    m_animating = false;
    updateTimer();
    update();
}

QSize Fen_QorActivityIndicatorView::sizeHint() const
{
    return QSize(naturalSide, naturalSide);
}

void Fen_QorActivityIndicatorView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    updateTimer();
}

void Fen_QorActivityIndicatorView::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    updateTimer();
}

void Fen_QorActivityIndicatorView::updateTimer()
{
    if (m_animating && isVisible()) {
        if (!m_stepTimer.isActive())
            m_stepTimer.start(stepIntervalMs, Qt::PreciseTimer, this);
    } else {
        m_stepTimer.stop();
    }
}

void Fen_QorActivityIndicatorView::timerEvent(QTimerEvent *event)
{
    if (event->timerId() != m_stepTimer.timerId()) {
        QWidget::timerEvent(event);
        return;
    }
    m_step = (m_step + 1) % spokeCount;
    update();
}

void Fen_QorActivityIndicatorView::paintEvent(QPaintEvent *)
{
    if (!m_animating)
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal side = qMin(width(), height());
    const qreal spokeWidth = side * 3.0 / 37.0;
    const qreal outer = side / 2.0 - spokeWidth / 2.0;
    const qreal inner = outer * 0.5;
    painter.translate(QRectF(rect()).center());
    QPen pen(m_color, spokeWidth, Qt::SolidLine, Qt::RoundCap);
    for (int spoke = 0; spoke < spokeCount; ++spoke) {
        // The bright spoke is the current step; the ones behind it fade out.
        const int age = (m_step - spoke + spokeCount) % spokeCount;
        QColor shade = m_color;
        shade.setAlphaF(m_color.alphaF() * (1.0f - 0.7f * static_cast<float>(age) / spokeCount));
        pen.setColor(shade);
        painter.setPen(pen);
        painter.drawLine(QPointF(0.0, -inner), QPointF(0.0, -outer));
        painter.rotate(360.0 / spokeCount);
    }
}
