#pragma once

#include <QList>
#include <QPointer>

class Fen_QorProgressHUD;

/*!
 * \brief Receives the notice that a Fen_QorProgressHUD has finished hiding.
 *
 * The HUD holds its delegate weakly: it does not own it, and a delegate that is destroyed while
 * HUDs still name it is cleared from those HUDs by its own destructor, so a HUD never calls a
 * dead delegate. Copies of a delegate start without any HUD naming them.
 */
class Fen_QorProgressHUDDelegate
{
public:
    Fen_QorProgressHUDDelegate() = default;
    Fen_QorProgressHUDDelegate(const Fen_QorProgressHUDDelegate &) { }
    Fen_QorProgressHUDDelegate &operator=(const Fen_QorProgressHUDDelegate &) { return *this; }
    virtual ~Fen_QorProgressHUDDelegate();

    /*! Called after the HUD's completion callback at the end of every hide. Does nothing. */
    virtual void hudWasHidden(Fen_QorProgressHUD *hud);

private:
    friend class Fen_QorProgressHUD;
    // The HUDs whose delegate this is, so that the destructor can clear them.
    QList<QPointer<Fen_QorProgressHUD>> m_huds;
};
