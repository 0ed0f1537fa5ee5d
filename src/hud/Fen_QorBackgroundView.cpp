#include "Fen_QorBackgroundView.h"

#include "Fen_QorBlurEffectView.h"
#include "Fen_QorColorField.h"

#include <QPainter>
#include <QPainterPath>

Fen_QorBackgroundView::Fen_QorBackgroundView(QWidget *parent)
    : Fen_QorBackgroundView(QRect(), parent)
{ }

Fen_QorBackgroundView::Fen_QorBackgroundView(const QRect &frame, QWidget *parent)
    : QWidget(parent)
    , m_style(Fen_QorProgressHUDBackgroundStyleBlur)
    , m_blurEffectStyle(Fen_QorBlurEffectStyleLight)
    , m_color(QColor::fromRgbF(0.8f, 0.8f, 0.8f, 0.6f))
    , m_backgroundColor(Qt::transparent)
{
    setGeometry(frame);
    commonInit();
}

Fen_QorBackgroundView::~Fen_QorBackgroundView() = default;

void Fen_QorBackgroundView::commonInit()
{
    // Children are clipped to the view's bounds by Qt already; the corners are rounded in paint.
    updateForBackgroundStyle();
}

void Fen_QorBackgroundView::setStyle(Fen_QorProgressHUDBackgroundStyle style)
{
    if (style == m_style)
        return;
    m_style = style;
    updateForBackgroundStyle();
}

void Fen_QorBackgroundView::setBlurEffectStyle(qint64 blurEffectStyle)
{
    if (blurEffectStyle == m_blurEffectStyle)
        return;
    m_blurEffectStyle = blurEffectStyle;
    updateForBackgroundStyle();
}

void Fen_QorBackgroundView::setColor(const QColor &color)
{
    if (Fen_QorStoreColorIfChanged(m_color, color))
        updateViewsForColor(color);
}

void Fen_QorBackgroundView::setBackgroundColor(const QColor &backgroundColor)
{
    if (backgroundColor == m_backgroundColor)
        return;
    m_backgroundColor = backgroundColor;
    update();
}

void Fen_QorBackgroundView::setCornerRadius(qreal cornerRadius)
{
    if (cornerRadius == m_cornerRadius)
        return;
    m_cornerRadius = cornerRadius;
    update();
}

void Fen_QorBackgroundView::updateForBackgroundStyle()
{
    // The view tree owns the blur view: removing it from this view ends it.
    if (m_effectView && m_effectView->parentWidget() == this)
        delete m_effectView.data();
    m_effectView = nullptr;

    if (m_style == Fen_QorProgressHUDBackgroundStyleBlur) {
        auto *effectView = new Fen_QorBlurEffectView(m_blurEffectStyle, this);
        effectView->lower();
        effectView->setGeometry(rect());
        effectView->show();
        m_effectView = effectView;
    }
    setBackgroundColor(m_color);
}

void Fen_QorBackgroundView::updateViewsForColor(const QColor &)
{
    setBackgroundColor(m_color);
}

QSize Fen_QorBackgroundView::sizeHint() const
{
    return QSize(0, 0);
}

QSize Fen_QorBackgroundView::minimumSizeHint() const
{
    return QSize(0, 0);
}

void Fen_QorBackgroundView::paintEvent(QPaintEvent *)
{
    if (m_backgroundColor.alpha() == 0)
        return;
    QPainter painter(this);
    if (m_cornerRadius <= 0.0) {
        painter.fillRect(rect(), m_backgroundColor);
        return;
    }
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath rounded;
    rounded.addRoundedRect(QRectF(rect()), m_cornerRadius, m_cornerRadius);
    painter.fillPath(rounded, m_backgroundColor);
}

void Fen_QorBackgroundView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    // The blur view fills the view in both directions, like a flexible width and height.
    if (m_effectView && m_effectView->parentWidget() == this)
        m_effectView->setGeometry(rect());
}
