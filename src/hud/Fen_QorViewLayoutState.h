#pragma once

#include "Fen_QorLayoutConstraint.h"

#include <QList>
#include <Qt>

class QWidget;

/*!
 * \brief The layout state that the kit keeps per widget: the constraints installed on it (each a
 * Fen_QorLayoutConstraint) and its content compression resistance and hugging priorities per axis.
 *
 * A side table keyed by widget: a widget is forgotten (and its constraints deleted) when it is
 * destroyed. Installing transfers ownership of a constraint to the view; removing deletes it.
 * Main thread only, like the widgets themselves.
 */
class Fen_QorViewLayoutState
{
public:
    Fen_QorViewLayoutState() = delete;

    /*! Default priority with which a widget resists shrinking below its intrinsic size. */
    static constexpr float DefaultCompressionResistance
        = Fen_QorLayoutConstraint::PriorityDefaultHigh;
    /*! Default priority with which a widget resists growing beyond its intrinsic size. */
    static constexpr float DefaultHugging = Fen_QorLayoutConstraint::PriorityDefaultLow;

    /*! The constraints installed on \a view, in the order they were installed. */
    static QList<Fen_QorLayoutConstraint *> constraints(const QWidget *view);

    /*! Installs \a constraint on \a view, which then owns it. A constraint already installed on
     * \a view stays where it is; one installed on another view moves. */
    static void addConstraint(QWidget *view, Fen_QorLayoutConstraint *constraint);
    static void addConstraints(QWidget *view, const QList<Fen_QorLayoutConstraint *> &constraints);

    /*! Removes and deletes those of \a constraints that are installed on \a view; the others are
     * left alone. */
    static void removeConstraints(QWidget *view,
                                  const QList<Fen_QorLayoutConstraint *> &constraints);

    static float contentCompressionResistancePriority(const QWidget *view, Qt::Orientation axis);
    static void setContentCompressionResistancePriority(QWidget *view, float priority,
                                                        Qt::Orientation axis);
    static float contentHuggingPriority(const QWidget *view, Qt::Orientation axis);
    static void setContentHuggingPriority(QWidget *view, float priority, Qt::Orientation axis);
};
