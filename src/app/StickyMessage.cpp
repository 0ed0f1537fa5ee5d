#include "StickyMessage.h"

#include "Fen_QorBackgroundView.h"
#include "Fen_QorProgressHUD.h"
#include "Fen_QorProgressHUDRoundedButton.h"
#include "Fen_QorShortcuts.h"

#include <QCoreApplication>
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
    return hud;
}

bool StickyMessage::eventFilter(QObject *watched, QEvent *event)
{
    if (!m_hud || m_hud->hasFinished() || !watched->isWidgetType())
        return false;
    auto *widget = static_cast<QWidget *>(watched);
    if (widget->window() != m_hud->window())
        return false;
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        if (widget == m_hud->button())
            return false;
        dismiss();
        return true;
    case QEvent::KeyPress: {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (isModifierOnly(key->key()))
            return false;
        dismiss();
        return !key->modifiers().testFlag(Qt::ControlModifier);
    }
    default:
        return false;
    }
}

void StickyMessage::dismiss()
{
    qApp->removeEventFilter(this);
    if (m_hud && !m_hud->hasFinished()) {
        m_hud->setRemoveFromSuperViewOnHide(true);
        m_hud->hideAnimated(true);
    }
}
