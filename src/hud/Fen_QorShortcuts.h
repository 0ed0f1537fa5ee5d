#pragma once

#include <QString>

#include <functional>

class QWidget;

/*!
 * \file Fen_QorShortcuts.h
 * \brief One-call HUDs for any screen: waiting, loading, saving, message, success, error and a
 * message with an exit button, plus hiding and presence tests.
 *
 * The show and hide shortcuts carry the kit's lower-case prefix \c qor_; the helpers beside them
 * the kit's prefix \c Fen_Qor. Every function takes the calling screen. The HUDs go on the
 * screen's host view (Fen_QorHostView()): the navigation container the screen sits in, else the
 * screen itself. The shortcuts keep at most one live HUD of their own on a host view: every show
 * first hides the topmost HUD that is not already hiding, whoever showed it.
 *
 * Ownership: the HUDs the shortcuts make are the kit's. Each leaves the host view once hidden and
 * is deleted after its completion (deleteLater()); keep a QPointer to one if you keep a pointer.
 * A HUD you constructed yourself that a shortcut hides (qor_hideHUD(), Fen_QorClearHUD(), every
 * show) only leaves the host view: it stays yours and is never deleted by the kit.
 *
 * The \c enable argument lets touches pass through the HUD to the screen below when true; when
 * false the HUD takes every touch over the host view. A \c delay of 0 keeps the HUD until
 * something hides it; any other value hides it, animated, after that many seconds. Fonts are
 * bold, in device-independent pixels.
 *
 * Main thread only, like the HUD itself.
 */

/*! A text HUD with \a message as its title; hides after 1.5 s. */
void qor_showSuccess(QWidget *screen, const QString &message);
/*! A text HUD with \a message in bold 16 px as its details; hides after 1.5 s. */
void qor_showError(QWidget *screen, const QString &message);
/*! A text HUD with \a message in bold 16 px as its details; hides after 1.5 s. */
void qor_showMessage(QWidget *screen, const QString &message);

/*! The waiting indicator: a spinner that stays and takes the touches. */
void qor_showWaiting(QWidget *screen);
void qor_showWaitingDelay(QWidget *screen, double delay, bool enable);

/*! A spinner titled "正在加载" that stays and takes the touches. */
void qor_showLoading(QWidget *screen);
void qor_showLoadingDelay(QWidget *screen, double delay, bool enable);
/*! A spinner with \a message in bold 14 px as its details. */
void qor_showLoadingWithMessage(QWidget *screen, const QString &message);
void qor_showLoadingWithMessage(QWidget *screen, const QString &message, double delay, bool enable);

/*! A spinner titled "正在保存" that stays and takes the touches. */
void qor_showSaving(QWidget *screen);
void qor_showSavingDelay(QWidget *screen, double delay, bool enable);

/*!
 * A HUD with \a message in bold 16 px and a button "退出" that runs \a action (with \a screen as
 * the connection's context, so nothing runs once the screen is gone). It never hides itself: the
 * action has to hide it, e.g. with qor_hideHUD().
 */
void qor_showMessage(QWidget *screen, const QString &message, const std::function<void()> &action);

/*! The same with an action of the screen, e.g. \c &MyScreen::close. */
template<typename Screen, typename Receiver>
void qor_showMessage(Screen *screen, const QString &message, void (Receiver::*action)())
{
    qor_showMessage(static_cast<QWidget *>(screen), message,
                    std::function<void()>([screen, action] { (screen->*action)(); }));
}

/*! Hides, animated, the topmost HUD on the host view that is not already hiding. */
void qor_hideHUD(QWidget *screen);
/*! The view the shortcuts put their HUDs on: the navigation container \a screen sits in, else
 *  \a screen itself. */
QWidget *Fen_QorHostView(QWidget *screen);
/*! True while a HUD that is not hiding sits directly on the host view. */
bool Fen_QorHasHUD(QWidget *screen);
/*! Hides the topmost HUD when there is one (the first step of every show). */
void Fen_QorClearHUD(QWidget *screen);
