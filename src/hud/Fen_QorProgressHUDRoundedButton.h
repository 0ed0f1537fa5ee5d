#pragma once

#include <QColor>
#include <QHash>
#include <QPushButton>

/*!
 * \brief The HUD's action button: a capsule with a one-point border in its title colour and a
 * faint highlight tint.
 *
 * The corner radius is ceil(height ÷ 2) after every resize. The button has no size of its own
 * (sizeHint() is 0 × 0) until an action is attached, which for this button means that something
 * is connected to its clicked() signal; then its size is QPushButton's natural size widened by
 * 20. Title colours are kept per control state; a state without one falls back to the normal
 * state's colour.
 */
class Fen_QorProgressHUDRoundedButton : public QPushButton
{
    Q_OBJECT

public:
    /*! Control states a title colour can be set for. */
    enum ControlState : qint64 {
        StateNormal = 0,
        StateHighlighted = 1 << 0,
        StateDisabled = 1 << 1,
        StateSelected = 1 << 2,
    };

    explicit Fen_QorProgressHUDRoundedButton(QWidget *parent = nullptr);
    explicit Fen_QorProgressHUDRoundedButton(const QRect &frame, QWidget *parent = nullptr);
    ~Fen_QorProgressHUDRoundedButton() override;

    /*! Sets the title colour of \a state; the border takes \a color whatever the state. */
    void setTitleColor(const QColor &color, ControlState state);
    QColor titleColor(ControlState state) const;

    /*! Presses or releases the button and recomputes the highlight tint. */
    void setHighlighted(bool highlighted);
    bool isHighlighted() const { return isDown(); }

    qreal borderWidth() const { return m_borderWidth; }
    qreal cornerRadius() const { return m_cornerRadius; }
    QColor borderColor() const { return m_borderColor; }
    QColor backgroundColor() const { return m_backgroundColor; }

    /*! True when something is connected to clicked(). */
    bool hasAction() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void connectNotify(const QMetaMethod &signal) override;
    void disconnectNotify(const QMetaMethod &signal) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void commonInit();
    ControlState currentState() const;

    QHash<qint64, QColor> m_titleColors;
    qreal m_borderWidth = 0.0;
    qreal m_cornerRadius = 0.0;
    QColor m_borderColor;
    QColor m_backgroundColor;
};
