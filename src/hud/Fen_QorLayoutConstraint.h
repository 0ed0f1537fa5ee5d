#pragma once

#include <QHash>
#include <QList>
#include <QPointer>
#include <QString>
#include <QWidget>

/*!
 * \brief One linear layout relation between two widgets (or a widget and a constant):
 * firstItem.firstAttribute (relation) secondItem.secondAttribute × multiplier + constant,
 * held at a priority between 1 and 1000 (1000 is required).
 *
 * A constraint is plain data; Fen_QorLayoutSolver reads it. Ownership: whoever creates a
 * constraint owns it until it is installed on a view with Fen_QorViewLayoutState; from then on
 * that view owns it, and removing it from the view (or destroying the view) deletes it. The items
 * are watched: a constraint whose item was destroyed is ignored by the solver.
 */
class Fen_QorLayoutConstraint
{
public:
    /*! Edges, centres and sizes; leading is the left edge in left-to-right layouts. */
    enum class Attribute { None, Leading, Trailing, Top, Bottom, Width, Height, CenterX, CenterY };
    enum class Relation { LessThanOrEqual = -1, Equal = 0, GreaterThanOrEqual = 1 };

    static constexpr float PriorityRequired = 1000.0f;
    static constexpr float PriorityDefaultHigh = 750.0f;
    static constexpr float PriorityDefaultLow = 250.0f;

    /*! A new, not yet installed constraint of priority 1000. \a secondItem may be null (with
     * Attribute::None) for a relation against the constant alone. */
    Fen_QorLayoutConstraint(QWidget *firstItem, Attribute firstAttribute, Relation relation,
                            QWidget *secondItem, Attribute secondAttribute, double multiplier,
                            double constant);
    Fen_QorLayoutConstraint(const Fen_QorLayoutConstraint &) = delete;
    Fen_QorLayoutConstraint &operator=(const Fen_QorLayoutConstraint &) = delete;

    /*! Same as the constructor, on the heap; the caller owns the result until it is installed. */
    static Fen_QorLayoutConstraint *constraintWithItem(QWidget *firstItem, Attribute firstAttribute,
                                                       Relation relation, QWidget *secondItem,
                                                       Attribute secondAttribute, double multiplier,
                                                       double constant);

    /*!
     * The constraints that a visual format stands for. Supported shapes:
     * "|-(REL METRIC)-[name]-(REL METRIC)-|" and the same prefixed with "V:" (vertical) or "H:",
     * where REL is ">=", "<=" or "==" (or nothing, meaning "==") and METRIC a name in \a metrics
     * or a number. "|" is the named view's parent widget. Horizontal formats use leading and
     * trailing edges (\a options must be 0). Any other format, an unknown name or a view without a
     * parent is rejected with a warning and yields an empty list. The caller owns the result.
     */
    static QList<Fen_QorLayoutConstraint *>
    constraintsWithVisualFormat(const QString &format, int options,
                                const QHash<QString, double> &metrics,
                                const QHash<QString, QWidget *> &views);

    QWidget *firstItem() const { return m_firstItem; }
    Attribute firstAttribute() const { return m_firstAttribute; }
    Relation relation() const { return m_relation; }
    QWidget *secondItem() const { return m_secondItem; }
    Attribute secondAttribute() const { return m_secondAttribute; }
    double multiplier() const { return m_multiplier; }

    double constant() const { return m_constant; }
    void setConstant(double constant) { m_constant = constant; }

    float priority() const { return m_priority; }
    /*! Clamped to 1…1000. */
    void setPriority(float priority);

    /*! True while every item given at creation still exists. */
    bool isIntact() const;

private:
    friend class Fen_QorViewLayoutState;

    QPointer<QWidget> m_firstItem;
    QPointer<QWidget> m_secondItem;
    bool m_hasSecondItem;
    Attribute m_firstAttribute;
    Attribute m_secondAttribute;
    Relation m_relation;
    double m_multiplier;
    double m_constant;
    float m_priority = PriorityRequired;
    QWidget *m_owner = nullptr; // the view it is installed on, if any
};
