#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

class Fen_QorProgressHUD;
class QWidget;

/*!
 * \brief A message that stays until the user has seen it: a text HUD with a title and details
 * (and optionally a button) that hides when the user clicks anywhere in the window or presses a
 * key, but never before minimumShowTime seconds. Used for failures with their reason and for the
 * confirmation of a save, whose button opens the album.
 *
 * The click or key that dismisses the message does nothing else, except a key with Ctrl (a
 * shortcut such as Ctrl+Q or Ctrl+V still works). A click on the message's own button runs the
 * button's action and dismisses it too.
 */
class StickyMessage : public QObject
{
    Q_OBJECT

public:
    static constexpr double minimumShowTime = 1.5;

    /*! Shows the message on \a screen's host view, replacing the HUD there, like every shortcut.
     *  The HUD is the kit's: it is deleted once hidden. */
    static Fen_QorProgressHUD *show(QWidget *screen, const QString &title, const QString &details,
                                    const QString &buttonTitle = QString(),
                                    const std::function<void()> &action = {});

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    explicit StickyMessage(Fen_QorProgressHUD *hud);
    void dismiss();

    QPointer<Fen_QorProgressHUD> m_hud;
};
