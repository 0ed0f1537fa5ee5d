#include "StickyMessage.h"

#include "Fen_QorBackgroundView.h"
#include "Fen_QorProgressHUD.h"
#include "Fen_QorProgressHUDRoundedButton.h"
#include "Fen_QorShortcuts.h"

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>

namespace {

constexpr int detailsPixelSize = 14;

bool isModifierOnly(int key)
{
    return key == Qt::Key_Shift || key == Qt::Key_Control || key == Qt::Key_Alt
        || key == Qt::Key_Meta || key == Qt::Key_AltGr || key == Qt::Key_CapsLock;
}

} // namespace

// Not the HUD's child: a HUD's children are torn down after the HUD itself, and their events
// would reach the filter then. The HUD's last word, hidden() (also told from its destructor),
// ends the watch.
StickyMessage::StickyMessage(Fen_QorProgressHUD *hud) : QObject(hud->parentWidget()), m_hud(hud)
{
    qApp->installEventFilter(this);
    connect(hud, &Fen_QorProgressHUD::hidden, this, [this] {
        qApp->removeEventFilter(this);
        m_hud = nullptr;
        deleteLater();
    });
}

Fen_QorProgressHUD *StickyMessage::show(QWidget *screen, const QString &title,
                                        const QString &details, const QString &buttonTitle,
                                        const std::function<void()> &action)
{
    Fen_QorClearHUD(screen);
    Fen_QorProgressHUD *hud = Fen_QorProgressHUD::showHUDAddedTo(Fen_QorHostView(screen), true);
    hud->setContentColor(Qt::white);
    hud->bezelView()->setColor(Qt::black);
    hud->setMode(Fen_QorProgressHUDModeText);
    hud->setMinShowTime(minimumShowTime);
    hud->label()->setText(title);
    hud->detailsLabel()->setText(details);
    QFont font = hud->detailsLabel()->font();
    font.setBold(true);
    font.setPixelSize(detailsPixelSize);
    hud->detailsLabel()->setFont(font);
    auto *message = new StickyMessage(hud);
    if (!buttonTitle.isEmpty()) {
        hud->button()->setText(buttonTitle);
        connect(hud->button(), &QPushButton::clicked, message, [message, action] {
            if (action)
                action();
            message->dismiss();
        });
    }
    hud->announce();
    return hud;
}

bool StickyMessage::eventFilter(QObject *watched, QEvent *event)
{
    if (!m_hud || !watched->isWidgetType())
        return false;
    auto *widget = static_cast<QWidget *>(watched);
    if (widget->window() != m_hud->window())
        return false;
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseMove:
        return answerMouse(widget, static_cast<QMouseEvent *>(event));
    case QEvent::ShortcutOverride:
    case QEvent::KeyPress:
        return answerKey(event);
    default:
        return false;
    }
}

// A press on the message dismisses it, and the click goes on to the widget below: the message
// stops taking the mouse at once, and the rest of the click (the release, a double click) the
// window still sends to the message goes there too.
bool StickyMessage::answerMouse(QWidget *widget, QMouseEvent *event)
{
    const bool onMessage = widget == m_hud || m_hud->isAncestorOf(widget);
    const bool press
        = event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick;
    if (press && !isDismissed()) {
        if (widget == m_hud->button() || m_hud->button()->isAncestorOf(widget))
            return false;
        dismiss();
    }
    if (!onMessage)
        return false;
    if (press) {
        QWidget *window = m_hud->window();
        QWidget *below = window->childAt(window->mapFromGlobal(event->globalPosition().toPoint()));
        m_clickTarget = below ? below : window;
    }
    if (m_clickTarget)
        forward(event);
    if (event->type() == QEvent::MouseButtonRelease && event->buttons() == Qt::NoButton)
        m_clickTarget = nullptr;
    return true;
}

// Sent, not posted: the click arrives in its order. Such an event does not move the focus by
// itself, so the press gives it as the window would.
void StickyMessage::forward(QMouseEvent *event)
{
    QWidget *target = m_clickTarget;
    const QPointF global = event->globalPosition();
    QMouseEvent copy(event->type(), target->mapFromGlobal(global),
                     target->window()->mapFromGlobal(global), global, event->button(),
                     event->buttons(), event->modifiers(), event->pointingDevice());
    if (event->type() == QEvent::MouseButtonPress) {
        for (QWidget *focus = target; focus; focus = focus->parentWidget()) {
            if (focus->isEnabled() && (focus->focusPolicy() & Qt::ClickFocus)) {
                focus->setFocus(Qt::MouseFocusReason);
                break;
            }
            if (focus->isWindow())
                break;
        }
    }
    QCoreApplication::sendEvent(target, &copy);
}

// Every key comes first as a shortcut override, also those a shortcut then takes (Escape, Ctrl+V
// outside the field): the message goes at that moment, and the key goes on, except a key that
// would press the focused button the message hid.
bool StickyMessage::answerKey(QEvent *event)
{
    const auto *key = static_cast<QKeyEvent *>(event);
    if (event->type() == QEvent::KeyPress) {
        const bool swallow = m_swallowKeyPress;
        m_swallowKeyPress = false;
        if (!isDismissed() && !isModifierOnly(key->key()))
            dismiss();
        return swallow;
    }
    if (isDismissed() || isModifierOnly(key->key()))
        return false;
    const bool pressesButton = qobject_cast<QAbstractButton *>(QApplication::focusWidget())
        && key->modifiers() == Qt::NoModifier
        && (key->key() == Qt::Key_Space || key->key() == Qt::Key_Return
            || key->key() == Qt::Key_Enter || key->key() == Qt::Key_Select);
    m_swallowKeyPress = pressesButton;
    dismiss();
    return false;
}

void StickyMessage::dismiss()
{
    if (m_hud && !m_hud->hasFinished()) {
        m_hud->setUserInteractionEnabled(false);
        m_hud->setRemoveFromSuperViewOnHide(true);
        m_hud->hideAnimated(true);
    }
}

bool StickyMessage::isDismissed() const
{
    return !m_hud || m_hud->hasFinished();
}
