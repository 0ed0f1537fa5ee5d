#include "Fen_QorLayoutConstraint.h"

#include <QLoggingCategory>
#include <QRegularExpression>

#include <algorithm>
#include <optional>

Q_LOGGING_CATEGORY(lcLayout, "kivora.hud.layout")

using Attribute = Fen_QorLayoutConstraint::Attribute;
using Relation = Fen_QorLayoutConstraint::Relation;

Fen_QorLayoutConstraint::Fen_QorLayoutConstraint(QWidget *firstItem, Attribute firstAttribute,
                                                 Relation relation, QWidget *secondItem,
                                                 Attribute secondAttribute, double multiplier,
                                                 double constant)
    : m_firstItem(firstItem)
    , m_secondItem(secondItem)
    , m_hasSecondItem(secondItem != nullptr)
    , m_firstAttribute(firstAttribute)
    , m_secondAttribute(secondItem ? secondAttribute : Attribute::None)
    , m_relation(relation)
    , m_multiplier(multiplier)
    , m_constant(constant)
{ }

Fen_QorLayoutConstraint *Fen_QorLayoutConstraint::constraintWithItem(
    QWidget *firstItem, Attribute firstAttribute, Relation relation, QWidget *secondItem,
    Attribute secondAttribute, double multiplier, double constant)
{
    return new Fen_QorLayoutConstraint(firstItem, firstAttribute, relation, secondItem,
                                       secondAttribute, multiplier, constant);
}

void Fen_QorLayoutConstraint::setPriority(float priority)
{
    m_priority = std::clamp(priority, 1.0f, PriorityRequired);
}

bool Fen_QorLayoutConstraint::isIntact() const
{
    return m_firstItem && (!m_hasSecondItem || m_secondItem);
}

namespace {

struct VisualFormatEdge
{
    Relation relation = Relation::Equal;
    double constant = 0.0;
};

Relation relationFromText(const QString &text)
{
    if (text == u">=")
        return Relation::GreaterThanOrEqual;
    if (text == u"<=")
        return Relation::LessThanOrEqual;
    return Relation::Equal;
}

std::optional<double> metricValue(const QString &text, const QHash<QString, double> &metrics)
{
    bool isNumber = false;
    const double number = text.toDouble(&isNumber);
    if (isNumber)
        return number;
    const auto it = metrics.constFind(text);
    if (it == metrics.constEnd())
        return std::nullopt;
    return *it;
}

} // namespace

QList<Fen_QorLayoutConstraint *>
Fen_QorLayoutConstraint::constraintsWithVisualFormat(const QString &format, int options,
                                                     const QHash<QString, double> &metrics,
                                                     const QHash<QString, QWidget *> &views)
{
    static const QRegularExpression shape(QStringLiteral(
        R"(^(?:([HV]):)?\|-\((>=|<=|==)?([A-Za-z_][A-Za-z0-9_]*|-?[0-9]+(?:\.[0-9]+)?)\)-)"
        R"(\[([A-Za-z_][A-Za-z0-9_]*)\])"
        R"(-\((>=|<=|==)?([A-Za-z_][A-Za-z0-9_]*|-?[0-9]+(?:\.[0-9]+)?)\)-\|$)"));
    const QRegularExpressionMatch match = shape.match(format);
    if (!match.hasMatch() || options != 0) {
        qCWarning(lcLayout, "Unsupported visual format \"%ls\" (options %d)",
                  qUtf16Printable(format), options);
        return {};
    }
    QWidget *view = views.value(match.captured(4));
    const std::optional<double> leadingMetric = metricValue(match.captured(3), metrics);
    const std::optional<double> trailingMetric = metricValue(match.captured(6), metrics);
    if (!view || !view->parentWidget() || !leadingMetric || !trailingMetric) {
        qCWarning(lcLayout,
                  "Visual format \"%ls\" names an unknown view or metric, or a view "
                  "without a parent",
                  qUtf16Printable(format));
        return {};
    }
    const bool vertical = match.captured(1) == u"V";
    const Attribute leading = vertical ? Attribute::Top : Attribute::Leading;
    const Attribute trailing = vertical ? Attribute::Bottom : Attribute::Trailing;
    QWidget *parent = view->parentWidget();
    // "|-(>=m)-[v]" is v.leading >= |.leading + m; "[v]-(>=m)-|" is |.trailing >= v.trailing + m.
    return { new Fen_QorLayoutConstraint(view, leading, relationFromText(match.captured(2)), parent,
                                         leading, 1.0, *leadingMetric),
             new Fen_QorLayoutConstraint(parent, trailing, relationFromText(match.captured(5)),
                                         view, trailing, 1.0, *trailingMetric) };
}
