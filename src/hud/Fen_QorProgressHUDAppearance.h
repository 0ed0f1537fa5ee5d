#pragma once

#include <QVariant>

class QWidget;
struct QMetaObject;

/*!
 * \brief Attribute values the application sets for views of a class while they sit inside a
 * Fen_QorProgressHUD — for example the colour of every HUD spinner.
 *
 * An attribute is a property name of the view class ("color", "progressTintColor", …). A value
 * set here is written to every indicator of that class (or a derived one) that a HUD creates,
 * and the HUD's content colour then leaves that attribute alone; each attribute counts on its
 * own. An attribute that was never set reads as an invalid QVariant (none). Main thread only.
 */
class Fen_QorProgressHUDAppearance
{
public:
    /*! Sets \a attribute for views of \a viewClass inside HUDs; an invalid \a value unsets it. */
    static void setValue(const QMetaObject &viewClass, const char *attribute,
                         const QVariant &value);
    /*! The value set for exactly \a viewClass, or an invalid QVariant. */
    static QVariant value(const QMetaObject &viewClass, const char *attribute);
    /*! Forgets every value. */
    static void clear();

    /*! Writes to \a view every value set for its class and its base classes, bases first. */
    static void applyTo(QWidget *view);
};
