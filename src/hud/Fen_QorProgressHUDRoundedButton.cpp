#include "Fen_QorProgressHUDRoundedButton.h"

#include <QMetaMethod>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

Fen_QorProgressHUDRoundedButton::Fen_QorProgressHUDRoundedButton(QWidget *parent)
    : Fen_QorProgressHUDRoundedButton(QRect(), parent)
{ }

Fen_QorProgressHUDRoundedButton::Fen_QorProgressHUDRoundedButton(const QRect &frame,
                                                                 QWidget *parent)
    : QPushButton(parent)
{
    setGeometry(frame);
    commonInit();
}

Fen_QorProgressHUDRoundedButton::~Fen_QorProgressHUDRoundedButton() = default;

void Fen_QorProgressHUDRoundedButton::commonInit()
{
    m_borderWidth = 1.0;
    m_titleColors.insert(StateNormal, Qt::white);
    m_borderColor = Qt::black;
    m_backgroundColor = Qt::transparent;
    setFlat(true);
    // A press or release by the user changes the highlight just like setHighlighted().
    connect(this, &QAbstractButton::pressed, this, [this] { setHighlighted(true); });
    connect(this, &QAbstractButton::released, this, [this] { setHighlighted(false); });
}

void Fen_QorProgressHUDRoundedButton::setTitleColor(const QColor &color, ControlState state)
{
    m_titleColors.insert(state, color);
    setHighlighted(isHighlighted());
    m_borderColor = color;
}

QColor Fen_QorProgressHUDRoundedButton::titleColor(ControlState state) const
{
    const auto found = m_titleColors.constFind(state);
    if (found != m_titleColors.constEnd() && found->isValid())
        return *found;
    return m_titleColors.value(StateNormal);
}

void Fen_QorProgressHUDRoundedButton::setHighlighted(bool highlighted)
{
    setDown(highlighted);
    if (highlighted) {
        QColor tint = titleColor(StateSelected);
        tint.setAlphaF(0.1f);
        m_backgroundColor = tint;
    } else {
        m_backgroundColor = Qt::transparent;
    }
    update();
}

bool Fen_QorProgressHUDRoundedButton::hasAction() const
{
    return isSignalConnected(QMetaMethod::fromSignal(&QAbstractButton::clicked));
}

QSize Fen_QorProgressHUDRoundedButton::sizeHint() const
{
    if (!hasAction())
        return QSize(0, 0);
    const QSize base = QPushButton::sizeHint();
    return QSize(base.width() + 20, base.height());
}

QSize Fen_QorProgressHUDRoundedButton::minimumSizeHint() const
{
    return sizeHint();
}

void Fen_QorProgressHUDRoundedButton::connectNotify(const QMetaMethod &signal)
{
    QPushButton::connectNotify(signal);
    if (signal == QMetaMethod::fromSignal(&QAbstractButton::clicked))
        updateGeometry();
}

void Fen_QorProgressHUDRoundedButton::disconnectNotify(const QMetaMethod &signal)
{
    QPushButton::disconnectNotify(signal);
    // Disconnecting everything at once reports an invalid method; the action may be among it.
    if (!signal.isValid() || signal == QMetaMethod::fromSignal(&QAbstractButton::clicked))
        updateGeometry();
}

void Fen_QorProgressHUDRoundedButton::resizeEvent(QResizeEvent *event)
{
    QPushButton::resizeEvent(event);
    m_cornerRadius = std::ceil(height() / 2.0);
}

Fen_QorProgressHUDRoundedButton::ControlState Fen_QorProgressHUDRoundedButton::currentState() const
{
    if (!isEnabled())
        return StateDisabled;
    if (isDown())
        return StateHighlighted;
    return StateNormal;
}

void Fen_QorProgressHUDRoundedButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);

    // The border lies inside the bounds, as a layer border does.
    const qreal inset = m_borderWidth / 2.0;
    const QRectF borderRect = QRectF(rect()).adjusted(inset, inset, -inset, -inset);
    const qreal radius = qMin(m_cornerRadius, qMin(width(), height()) / 2.0);
    QPainterPath outline;
    outline.addRoundedRect(QRectF(rect()), radius, radius);
    painter.fillPath(outline, m_backgroundColor);
    if (m_borderWidth > 0.0) {
        const qreal borderRadius = qMax(0.0, radius - inset);
        painter.setPen(QPen(m_borderColor, m_borderWidth));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(borderRect, borderRadius, borderRadius);
    }

    painter.setPen(titleColor(currentState()));
    painter.setFont(font());
    painter.drawText(rect(), Qt::AlignCenter | Qt::TextShowMnemonic, text());
}
