#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

class Fen_QorProgressHUD;
class QMouseEvent;
class QWidget;

/*!
 * \brief A message that stays until the user has seen it: a text HUD with a title and details
 * (and optionally a button) that hides when the user clicks anywhere in the window or presses a
 * key, but never before minimumShowTime seconds. Used for failures with their reason and for the
 * confirmation of a save, whose button opens the album.
 *
 * The click or key that dismisses the message also does what it would have done without it: a
 * click on the field puts the cursor there, Ctrl+V pastes, a letter is typed. From the first
 * answer on the message lets every click through while it fades. Only Escape (which just closes)
 * and the keys that would press a focused button hidden by the message (Space, Enter) do nothing
 * else. A click on the message's own button runs the button's action and dismisses it too.
 */
class StickyMessage : public QObject
{
    Q_OBJECT

public:
    static constexpr double minimumShowTime = 1.5;

    /*! Shows the message on \a screen's host view, replacing the HUD there, like every shortcut,
     *  and announces it to assistive technology. The HUD is the kit's: it is deleted once hidden.
     */
    static Fen_QorProgressHUD *show(QWidget *screen, const QString &title, const QString &details,
                                    const QString &buttonTitle = QString(),
                                    const std::function<void()> &action = {});

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    explicit StickyMessage(Fen_QorProgressHUD *hud);
    bool answerMouse(QWidget *widget, QMouseEvent *event);
    bool answerKey(QEvent *event);
    void forward(QMouseEvent *event);
    void dismiss();
    bool isDismissed() const;

    QPointer<Fen_QorProgressHUD> m_hud;
    // The widget below the message that gets the rest of the click the message caught.
    QPointer<QWidget> m_clickTarget;
    bool m_swallowKeyPress = false;
};
