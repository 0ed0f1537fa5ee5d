#include "Fen_QorProgressHUDLayout.h"

#include "Fen_QorLayoutSolver.h"
#include "Fen_QorViewLayoutState.h"

#include <QHash>
#include <QWidget>

using Attribute = Fen_QorLayoutConstraint::Attribute;
using Relation = Fen_QorLayoutConstraint::Relation;

namespace {

constexpr float CentringPriority = 998.0f;
constexpr float EdgeMarginPriority = 999.0f;
constexpr float ShapePriority = 997.0f;
constexpr double VisibleItemGap = 4.0;

// Exact on purpose: QSizeF's == treats components within 1e-12 of zero as zero.
bool isExactlyZero(const QSizeF &size)
{
    return size.width() == 0.0 && size.height() == 0.0;
}

Fen_QorLayoutConstraint *relate(QWidget *first, Attribute firstAttribute, Relation relation,
                                QWidget *second, Attribute secondAttribute, double constant = 0.0)
{
    return Fen_QorLayoutConstraint::constraintWithItem(first, firstAttribute, relation, second,
                                                       secondAttribute, 1.0, constant);
}

Fen_QorLayoutConstraint *relateToConstant(QWidget *item, Attribute attribute, Relation relation,
                                          double constant)
{
    return relate(item, attribute, relation, nullptr, Attribute::None, constant);
}

QList<Fen_QorLayoutConstraint *> fromVisualFormat(const QString &format, const QString &viewName,
                                                  QWidget *view,
                                                  const QHash<QString, double> &metrics)
{
    return Fen_QorLayoutConstraint::constraintsWithVisualFormat(format, 0, metrics,
                                                                { { viewName, view } });
}

QList<QWidget *> columnOf(const Fen_QorProgressHUDLayout::Views &views)
{
    QList<QWidget *> column { views.topSpacer, views.label, views.detailsLabel, views.button,
                              views.bottomSpacer };
    if (views.indicator)
        column.insert(1, views.indicator);
    return column;
}

} // namespace

void Fen_QorProgressHUDLayout::discardConstraints(const Views &views)
{
    for (QWidget *view : { views.hud, views.topSpacer, views.bottomSpacer })
        Fen_QorViewLayoutState::removeConstraints(view, Fen_QorViewLayoutState::constraints(view));
    if (m_bezel)
        Fen_QorViewLayoutState::removeConstraints(m_bezel, m_bezelConstraints);
    m_bezelConstraints.clear();
    m_paddingConstraints.clear();
}

void Fen_QorProgressHUDLayout::updateConstraints(const Views &views, const Metrics &metrics)
{
    if (!views.hud || !views.bezel || !views.topSpacer || !views.bottomSpacer || !views.label
        || !views.detailsLabel || !views.button)
        return;
    QWidget *bezel = views.bezel;
    const double margin = metrics.margin;
    const QHash<QString, double> metricsMap { { QStringLiteral("margin"), margin } };
    const QList<QWidget *> column = columnOf(views);

    discardConstraints(views);
    m_hud = views.hud;
    m_bezel = bezel;

    const QList<Fen_QorLayoutConstraint *> centring {
        relate(bezel, Attribute::CenterX, Relation::Equal, views.hud, Attribute::CenterX,
               metrics.offset.x()),
        relate(bezel, Attribute::CenterY, Relation::Equal, views.hud, Attribute::CenterY,
               metrics.offset.y())
    };
    applyPriority(CentringPriority, centring);
    Fen_QorViewLayoutState::addConstraints(views.hud, centring);

    const QString bezelName = QStringLiteral("bezel");
    const QList<Fen_QorLayoutConstraint *> edges
        = fromVisualFormat(QStringLiteral("|-(>=margin)-[bezel]-(>=margin)-|"), bezelName, bezel,
                           metricsMap)
        + fromVisualFormat(QStringLiteral("V:|-(>=margin)-[bezel]-(>=margin)-|"), bezelName, bezel,
                           metricsMap);
    applyPriority(EdgeMarginPriority, edges);
    Fen_QorViewLayoutState::addConstraints(views.hud, edges);

    QList<Fen_QorLayoutConstraint *> bezelList;
    if (!isExactlyZero(metrics.minSize)) {
        const QList<Fen_QorLayoutConstraint *> minimum {
            relateToConstant(bezel, Attribute::Width, Relation::GreaterThanOrEqual,
                             metrics.minSize.width()),
            relateToConstant(bezel, Attribute::Height, Relation::GreaterThanOrEqual,
                             metrics.minSize.height())
        };
        applyPriority(ShapePriority, minimum);
        bezelList += minimum;
    }
    if (metrics.square) {
        Fen_QorLayoutConstraint *square
            = relate(bezel, Attribute::Height, Relation::Equal, bezel, Attribute::Width);
        square->setPriority(ShapePriority);
        bezelList.append(square);
    }

    for (QWidget *spacer : { views.topSpacer, views.bottomSpacer })
        Fen_QorViewLayoutState::addConstraint(
            spacer,
            relateToConstant(spacer, Attribute::Height, Relation::GreaterThanOrEqual, margin));
    bezelList.append(relate(views.topSpacer, Attribute::Height, Relation::Equal, views.bottomSpacer,
                            Attribute::Height));

    QList<Fen_QorLayoutConstraint *> chain;
    for (qsizetype i = 0; i < column.size(); ++i) {
        QWidget *item = column.at(i);
        bezelList.append(
            relate(item, Attribute::CenterX, Relation::Equal, bezel, Attribute::CenterX));
        bezelList += fromVisualFormat(QStringLiteral("|-(>=margin)-[view]-(>=margin)-|"),
                                      QStringLiteral("view"), item, metricsMap);
        if (i == 0)
            bezelList.append(relate(item, Attribute::Top, Relation::Equal, bezel, Attribute::Top));
        else if (i == column.size() - 1)
            bezelList.append(
                relate(item, Attribute::Bottom, Relation::Equal, bezel, Attribute::Bottom));
        if (i > 0) {
            Fen_QorLayoutConstraint *link = relate(item, Attribute::Top, Relation::Equal,
                                                   column.at(i - 1), Attribute::Bottom);
            bezelList.append(link);
            chain.append(link);
        }
    }

    Fen_QorViewLayoutState::addConstraints(bezel, bezelList);
    m_bezelConstraints = bezelList;
    m_paddingConstraints = chain;
    m_hasConstraints = true;
    updatePaddingConstraints();
}

void Fen_QorProgressHUDLayout::updatePaddingConstraints()
{
    if (!m_bezel) {
        // The bezel took its constraints with it.
        m_bezelConstraints.clear();
        m_paddingConstraints.clear();
        return;
    }
    bool earlierVisible = false;
    for (Fen_QorLayoutConstraint *link : std::as_const(m_paddingConstraints)) {
        const bool lowerVisible = isVisibleInLayout(link->firstItem());
        const bool upperVisible = isVisibleInLayout(link->secondItem());
        link->setConstant(lowerVisible && (upperVisible || earlierVisible) ? VisibleItemGap : 0.0);
        earlierVisible = earlierVisible || upperVisible;
    }
}

void Fen_QorProgressHUDLayout::applyPriority(float priority,
                                             const QList<Fen_QorLayoutConstraint *> &constraints)
{
    for (Fen_QorLayoutConstraint *constraint : constraints)
        constraint->setPriority(priority);
}

QList<Fen_QorLayoutConstraint *> Fen_QorProgressHUDLayout::bezelConstraints() const
{
    return m_bezel ? m_bezelConstraints : QList<Fen_QorLayoutConstraint *>();
}

QList<Fen_QorLayoutConstraint *> Fen_QorProgressHUDLayout::paddingConstraints() const
{
    return m_bezel ? m_paddingConstraints : QList<Fen_QorLayoutConstraint *>();
}

bool Fen_QorProgressHUDLayout::hasConstraints() const
{
    return m_hasConstraints;
}

void Fen_QorProgressHUDLayout::layoutSubviews(bool needsUpdateConstraints)
{
    if (!needsUpdateConstraints)
        updatePaddingConstraints();
    if (m_hud)
        Fen_QorLayoutSolver::solve(m_hud);
}

bool Fen_QorProgressHUDLayout::isVisibleInLayout(const QWidget *item)
{
    return item && !item->isHidden()
        && !isExactlyZero(Fen_QorLayoutSolver::intrinsicContentSize(item));
}
