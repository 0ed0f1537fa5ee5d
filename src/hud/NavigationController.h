#pragma once

#include <QList>
#include <QWidget>

class QStackedLayout;

/*!
 * \brief A minimal navigation container: a stack of screens of which the topmost one is shown,
 * filling the container.
 *
 * Screens inside it put their HUDs on the container (see Fen_QorHostView()), so a HUD covers the
 * whole navigation area and survives a push or pop of the screen that showed it.
 */
class NavigationController : public QWidget
{
    Q_OBJECT

public:
    /*! A container showing \a rootViewController (which it adopts) as its first screen. */
    explicit NavigationController(QWidget *rootViewController, QWidget *parent = nullptr);

    /*! Adopts \a viewController and shows it on top of the stack. */
    void pushViewController(QWidget *viewController);
    /*! Removes the topmost screen unless it is the root one and returns it (the caller owns it
     *  then), or returns nullptr. */
    QWidget *popViewController();

    QList<QWidget *> viewControllers() const;
    QWidget *topViewController() const;

    /*! The navigation container that \a screen sits in (its nearest ancestor of this type), or
     *  nullptr. */
    static NavigationController *navigationControllerOf(const QWidget *screen);

private:
    QStackedLayout *m_stack;
};
