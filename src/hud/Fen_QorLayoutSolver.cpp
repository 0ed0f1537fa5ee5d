#include "Fen_QorLayoutSolver.h"

#include "Fen_QorLayoutConstraint.h"
#include "Fen_QorViewLayoutState.h"

#include <QLabel>
#include <QPicture>
#include <QWidget>

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <unordered_map>
#include <vector>

using Attribute = Fen_QorLayoutConstraint::Attribute;
using Relation = Fen_QorLayoutConstraint::Relation;

namespace {

constexpr double Infinity = std::numeric_limits<double>::infinity();
constexpr float Required = Fen_QorLayoutConstraint::PriorityRequired;
constexpr int Horizontal = 0;
constexpr int Vertical = 1;

int axisOf(Attribute attribute)
{
    switch (attribute) {
    case Attribute::Leading:
    case Attribute::Trailing:
    case Attribute::CenterX:
    case Attribute::Width:
        return Horizontal;
    case Attribute::Top:
    case Attribute::Bottom:
    case Attribute::CenterY:
    case Attribute::Height:
        return Vertical;
    case Attribute::None:
        break;
    }
    return -1;
}

bool isSize(Attribute attribute)
{
    return attribute == Attribute::Width || attribute == Attribute::Height;
}

// Where a position attribute lies along its axis, as a fraction of the widget's extent.
double fractionOf(Attribute attribute)
{
    switch (attribute) {
    case Attribute::CenterX:
    case Attribute::CenterY:
        return 0.5;
    case Attribute::Trailing:
    case Attribute::Bottom:
        return 1.0;
    default:
        return 0.0;
    }
}

Relation flipped(Relation relation)
{
    return Relation(-int(relation));
}

/*
 * Lower and upper bounds on one number, each held at a priority. resolve() applies them from the
 * highest priority down, narrowing an interval; a bound that no longer fits is met as closely as
 * the interval allows. The result is the smallest value left: what a widget that hugs its
 * content (or has none) ends up with.
 */
class Bounds
{
public:
    void add(Relation relation, double value, float priority)
    {
        m_bounds.push_back({ relation, value, priority });
    }
    void atLeast(double value, float priority)
    {
        add(Relation::GreaterThanOrEqual, value, priority);
    }
    void atMost(double value, float priority) { add(Relation::LessThanOrEqual, value, priority); }
    void append(const Bounds &other)
    {
        m_bounds.insert(m_bounds.end(), other.m_bounds.begin(), other.m_bounds.end());
    }

    // Lower bounds only (equalities count as lower bounds too).
    template<typename Visit>
    void forEachLower(Visit visit) const
    {
        for (const Bound &bound : m_bounds) {
            if (bound.relation != Relation::LessThanOrEqual)
                visit(bound.value, bound.priority);
        }
    }
    float strongestUpperPriority() const
    {
        float strongest = 0.0f;
        for (const Bound &bound : m_bounds) {
            if (bound.relation != Relation::GreaterThanOrEqual)
                strongest = std::max(strongest, bound.priority);
        }
        return strongest;
    }

    double resolve() const
    {
        std::vector<Bound> ordered = m_bounds;
        std::stable_sort(ordered.begin(), ordered.end(),
                         [](const Bound &a, const Bound &b) { return a.priority > b.priority; });
        double low = -Infinity;
        double high = Infinity;
        for (const Bound &bound : ordered) {
            const double value = std::clamp(bound.value, low, high);
            if (bound.relation != Relation::LessThanOrEqual)
                low = value;
            if (bound.relation != Relation::GreaterThanOrEqual)
                high = value;
        }
        if (std::isfinite(low))
            return low;
        return std::isfinite(high) ? high : 0.0;
    }

private:
    struct Bound
    {
        Relation relation;
        double value;
        float priority;
    };
    std::vector<Bound> m_bounds;
};

// position (relation) alpha × containerExtent + beta + gamma × ownExtent
struct Anchor
{
    Relation relation;
    double alpha;
    double beta;
    double gamma;
    float priority;
};

// This widget's leading edge = upper's trailing edge + constant.
struct Link
{
    QWidget *upper = nullptr;
    double constant = 0.0;
    float priority = Required;
};

// This widget's extent on one axis (relation) multiplier × other's extent + constant.
struct SizeRelation
{
    QWidget *other;
    int otherAxis;
    Relation relation;
    double multiplier;
    double constant;
    float priority;
};

struct Node
{
    QWidget *widget = nullptr;
    std::vector<Anchor> anchors[2];
    Bounds ownSize[2];
    std::vector<SizeRelation> sizeRelations[2];
    std::optional<Link> link[2];
    std::vector<QWidget *> children;
    double position[2] = { 0.0, 0.0 };
    double extent[2] = { 0.0, 0.0 };
    bool solved[2] = { false, false };
    // Size hints and heights for a width are costly for text; asked once per solve.
    std::optional<QSizeF> natural;
    std::optional<std::pair<int, int>> heightForWidth;
};

// The pair of anchors (lower-ish a, upper-ish b) demands
// dA × E + dG × s <= r, with E the container's extent and s the widget's.
struct PairDemand
{
    double dA;
    double dG;
    double r;
    float priority;
};

std::vector<PairDemand> pairDemands(const std::vector<Anchor> &anchors)
{
    std::vector<PairDemand> demands;
    for (size_t i = 0; i < anchors.size(); ++i) {
        for (size_t j = 0; j < anchors.size(); ++j) {
            const Anchor &low = anchors[i];
            const Anchor &high = anchors[j];
            if (i == j || low.relation == Relation::LessThanOrEqual
                || high.relation == Relation::GreaterThanOrEqual)
                continue;
            demands.push_back({ low.alpha - high.alpha, low.gamma - high.gamma,
                                high.beta - low.beta, std::min(low.priority, high.priority) });
        }
    }
    return demands;
}

// Raises the members of a chain that an equality ties to another member's extent on the same
// axis (the spacers' equal heights) so that both sides start out equal.
void applyTies(const std::vector<Node *> &chain, int axis, std::vector<double> &sizes)
{
    for (size_t i = 0; i < chain.size(); ++i) {
        for (const SizeRelation &tie : chain[i]->sizeRelations[axis]) {
            const auto other = std::find_if(chain.begin(), chain.end(), [&tie](const Node *n) {
                return n->widget == tie.other;
            });
            if (tie.otherAxis != axis || tie.relation != Relation::Equal || tie.multiplier <= 0.0
                || other == chain.end())
                continue;
            const size_t j = size_t(other - chain.begin());
            sizes[i] = std::max(sizes[i], tie.multiplier * sizes[j] + tie.constant);
            sizes[j] = (sizes[i] - tie.constant) / tie.multiplier;
        }
    }
}

bool isChained(const std::vector<std::vector<Node *>> &chains, const Node &node)
{
    return std::any_of(chains.begin(), chains.end(), [&node](const std::vector<Node *> &chain) {
        return std::find(chain.begin(), chain.end(), &node) != chain.end();
    });
}

class Solver
{
public:
    explicit Solver(QWidget *root) : m_root(root) { collect(); }

    void run()
    {
        if (m_nodes.empty())
            return;
        solveAxes();
        if (m_hasCrossAxisRelations)
            solveAxes(); // the relations between a widget's width and height now see both
        applyGeometry();
    }

private:
    void collect();
    void addConstraint(const Fen_QorLayoutConstraint &constraint);
    Node &node(QWidget *widget);
    bool isPlaced(const QWidget *widget) const;

    void solveAxes()
    {
        const double rootExtent[2] = { double(m_root->width()), double(m_root->height()) };
        for (int axis : { Horizontal, Vertical })
            layoutChildren(m_root, axis, rootExtent[axis]);
    }
    void layoutChildren(QWidget *container, int axis, double extent);
    void layoutChain(const std::vector<Node *> &chain, int axis, double extent);
    void placeAlone(Node &child, int axis, double extent);

    double intrinsicExtent(Node &node, int axis);
    Bounds sizeBounds(Node &node, int axis);
    Bounds contentBounds(const Node &node, int axis);
    void addChainContentBounds(const std::vector<Node *> &chain, int axis, Bounds &bounds);
    std::vector<Anchor> chainAnchors(const std::vector<Node *> &chain, int axis) const;
    std::vector<std::vector<Node *>> chainsAmong(const std::vector<QWidget *> &children, int axis);
    void applyGeometry();

    QWidget *m_root;
    std::unordered_map<QWidget *, Node> m_nodes;
    bool m_hasCrossAxisRelations = false;
};

Node &Solver::node(QWidget *widget)
{
    Node &entry = m_nodes[widget];
    entry.widget = widget;
    return entry;
}

bool Solver::isPlaced(const QWidget *widget) const
{
    return widget != m_root && m_root->isAncestorOf(widget);
}

void Solver::collect()
{
    QList<QWidget *> owners = m_root->findChildren<QWidget *>();
    owners.prepend(m_root);
    for (QWidget *owner : std::as_const(owners)) {
        for (const Fen_QorLayoutConstraint *constraint :
             Fen_QorViewLayoutState::constraints(owner)) {
            if (constraint->isIntact())
                addConstraint(*constraint);
        }
    }
    std::vector<QWidget *> placed;
    for (const auto &[widget, entry] : m_nodes) {
        if (isPlaced(widget))
            placed.push_back(widget);
    }
    for (QWidget *widget : placed)
        node(widget->parentWidget()).children.push_back(widget);
    // Children in widget order, so the result does not depend on hashing.
    for (auto &[widget, entry] : m_nodes) {
        const QObjectList &order = widget->children();
        std::sort(entry.children.begin(), entry.children.end(),
                  [&order](QWidget *a, QWidget *b) { return order.indexOf(a) < order.indexOf(b); });
    }
}

void Solver::addConstraint(const Fen_QorLayoutConstraint &c)
{
    QWidget *first = c.firstItem();
    QWidget *second = c.secondItem();
    const int axis = axisOf(c.firstAttribute());
    if (axis < 0)
        return;
    if (!second) {
        if (isSize(c.firstAttribute()))
            node(first).ownSize[axis].add(c.relation(), c.constant(), c.priority());
        return;
    }
    const int secondAxis = axisOf(c.secondAttribute());
    if (secondAxis < 0 || isSize(c.firstAttribute()) != isSize(c.secondAttribute()))
        return;
    if (isSize(c.firstAttribute())) {
        node(first).sizeRelations[axis].push_back(
            { second, secondAxis, c.relation(), c.multiplier(), c.constant(), c.priority() });
        m_hasCrossAxisRelations = m_hasCrossAxisRelations || axis != secondAxis;
        node(second);
        return;
    }
    if (axis != secondAxis || c.multiplier() <= 0.0)
        return;
    const double firstAt = fractionOf(c.firstAttribute());
    const double secondAt = fractionOf(c.secondAttribute());
    if (second == first->parentWidget()) {
        // first.attr (rel) m × second.attr + k, the container's attribute at secondAt × E
        node(first).anchors[axis].push_back(
            { c.relation(), c.multiplier() * secondAt, c.constant(), -firstAt, c.priority() });
    } else if (first == second->parentWidget()) {
        // firstAt × E (rel) m × (x + secondAt × s) + k, solved for the child's position x
        const double m = c.multiplier();
        node(second).anchors[axis].push_back(
            { flipped(c.relation()), firstAt / m, -c.constant() / m, -secondAt, c.priority() });
    } else if (first->parentWidget() == second->parentWidget() && c.relation() == Relation::Equal
               && c.multiplier() == 1.0) {
        if (firstAt == 0.0 && secondAt == 1.0)
            node(first).link[axis] = Link { second, c.constant(), c.priority() };
        else if (firstAt == 1.0 && secondAt == 0.0)
            node(second).link[axis] = Link { first, -c.constant(), c.priority() };
    }
}

double Solver::intrinsicExtent(Node &node, int axis)
{
    if (!node.natural)
        node.natural = Fen_QorLayoutSolver::intrinsicContentSize(node.widget);
    const QSizeF natural = *node.natural;
    if (axis == Vertical && node.solved[Horizontal] && natural != QSizeF(0, 0)
        && node.widget->hasHeightForWidth()) {
        const int width = qRound(node.extent[Horizontal]);
        if (!node.heightForWidth || node.heightForWidth->first != width)
            node.heightForWidth = std::make_pair(width, node.widget->heightForWidth(width));
        if (node.heightForWidth->second >= 0)
            return node.heightForWidth->second;
    }
    return axis == Horizontal ? natural.width() : natural.height();
}

// What the widget asks for on its own: its size constraints, its intrinsic size held by its
// compression resistance and hugging, its content and the relations to its other axis.
Bounds Solver::sizeBounds(Node &node, int axis)
{
    Bounds bounds;
    bounds.atLeast(0.0, Required);
    bounds.append(node.ownSize[axis]);
    const double natural = intrinsicExtent(node, axis);
    if (natural >= 0.0) {
        const auto orientation = axis == Horizontal ? Qt::Horizontal : Qt::Vertical;
        bounds.atLeast(
            natural,
            Fen_QorViewLayoutState::contentCompressionResistancePriority(node.widget, orientation));
        bounds.atMost(natural,
                      Fen_QorViewLayoutState::contentHuggingPriority(node.widget, orientation));
    }
    bounds.append(contentBounds(node, axis));
    for (const SizeRelation &relation : node.sizeRelations[axis]) {
        const auto other = m_nodes.find(relation.other);
        if (relation.otherAxis != axis && other != m_nodes.end()
            && other->second.solved[relation.otherAxis])
            bounds.add(relation.relation,
                       relation.multiplier * other->second.extent[relation.otherAxis]
                           + relation.constant,
                       relation.priority);
    }
    // The other side of a cross-axis relation: this axis is the one the relation is stated in.
    for (const SizeRelation &relation : node.sizeRelations[1 - axis]) {
        if (relation.other == node.widget && relation.otherAxis == axis && node.solved[1 - axis]
            && relation.multiplier > 0.0)
            bounds.add(flipped(relation.relation),
                       (node.extent[1 - axis] - relation.constant) / relation.multiplier,
                       relation.priority);
    }
    return bounds;
}

// Lower bounds on a container's extent that let each of its children have the sizes it asks for.
Bounds Solver::contentBounds(const Node &container, int axis)
{
    Bounds bounds;
    const std::vector<std::vector<Node *>> chains = chainsAmong(container.children, axis);
    for (const auto &chain : chains)
        addChainContentBounds(chain, axis, bounds);
    for (QWidget *childWidget : container.children) {
        Node &child = m_nodes.at(childWidget);
        if (isChained(chains, child))
            continue;
        const std::vector<PairDemand> demands = pairDemands(child.anchors[axis]);
        sizeBounds(child, axis).forEachLower([&](double size, float sizePriority) {
            for (const PairDemand &demand : demands) {
                if (demand.dA < 0.0)
                    bounds.atLeast((demand.r - demand.dG * size) / demand.dA,
                                   std::min(demand.priority, sizePriority));
            }
        });
    }
    return bounds;
}

std::vector<std::vector<Node *>> Solver::chainsAmong(const std::vector<QWidget *> &children,
                                                     int axis)
{
    std::unordered_map<QWidget *, Node *> below; // upper item → the item linked under it
    for (QWidget *widget : children) {
        Node &child = m_nodes.at(widget);
        if (child.link[axis])
            below[child.link[axis]->upper] = &child;
    }
    std::vector<std::vector<Node *>> chains;
    for (QWidget *widget : children) {
        Node &head = m_nodes.at(widget);
        if (head.link[axis] || !below.count(widget))
            continue;
        std::vector<Node *> chain { &head };
        for (auto next = below.find(widget); next != below.end() && chain.size() <= children.size();
             next = below.find(next->second->widget))
            chain.push_back(next->second);
        chains.push_back(chain);
    }
    return chains;
}

// A chain stands against its container like one widget: the head's leading anchors and the
// tail's trailing anchors, with the chain's whole span as its extent.
std::vector<Anchor> Solver::chainAnchors(const std::vector<Node *> &chain, int axis) const
{
    std::vector<Anchor> anchors;
    for (const Anchor &anchor : chain.front()->anchors[axis]) {
        if (anchor.gamma == 0.0)
            anchors.push_back(anchor);
    }
    for (const Anchor &anchor : chain.back()->anchors[axis]) {
        if (anchor.gamma == -1.0)
            anchors.push_back(anchor);
    }
    return anchors;
}

void Solver::addChainContentBounds(const std::vector<Node *> &chain, int axis, Bounds &bounds)
{
    std::vector<Bounds> memberBounds;
    std::vector<float> levels;
    double gaps = 0.0;
    float weakestLink = Required;
    for (Node *member : chain) {
        memberBounds.push_back(sizeBounds(*member, axis));
        memberBounds.back().forEachLower(
            [&](double, float priority) { levels.push_back(priority); });
        if (member->link[axis]) {
            gaps += member->link[axis]->constant;
            weakestLink = std::min(weakestLink, member->link[axis]->priority);
        }
    }
    // For each priority level: the span when every member gets what it asks for at that level.
    Bounds span;
    for (float level : levels) {
        double total = gaps;
        for (const Bounds &member : memberBounds) {
            double largest = 0.0;
            member.forEachLower([&](double value, float priority) {
                if (priority >= level)
                    largest = std::max(largest, value);
            });
            total += largest;
        }
        span.atLeast(total, std::min(level, weakestLink));
    }
    const std::vector<PairDemand> demands = pairDemands(chainAnchors(chain, axis));
    span.forEachLower([&](double size, float sizePriority) {
        for (const PairDemand &demand : demands) {
            if (demand.dA < 0.0)
                bounds.atLeast((demand.r - demand.dG * size) / demand.dA,
                               std::min(demand.priority, sizePriority));
        }
    });
}

// Resolves the position of an extent against anchors, once the extent is known.
double resolvePosition(const std::vector<Anchor> &anchors, double containerExtent, double extent)
{
    Bounds position;
    for (const Anchor &anchor : anchors)
        position.add(anchor.relation,
                     anchor.alpha * containerExtent + anchor.beta + anchor.gamma * extent,
                     anchor.priority);
    return position.resolve();
}

// Adds to \a bounds the limits on a widget's extent that its anchors set in a container of
// \a containerExtent.
void addAnchorLimits(const std::vector<Anchor> &anchors, double containerExtent, Bounds &bounds)
{
    for (const PairDemand &demand : pairDemands(anchors)) {
        const double value = (demand.r - demand.dA * containerExtent) / demand.dG;
        if (demand.dG > 0.0)
            bounds.atMost(value, demand.priority);
        else if (demand.dG < 0.0)
            bounds.atLeast(value, demand.priority);
    }
}

void Solver::placeAlone(Node &child, int axis, double extent)
{
    Bounds size = sizeBounds(child, axis);
    addAnchorLimits(child.anchors[axis], extent, size);
    child.extent[axis] = size.resolve();
    child.position[axis] = resolvePosition(child.anchors[axis], extent, child.extent[axis]);
    child.solved[axis] = true;
}

void Solver::layoutChain(const std::vector<Node *> &chain, int axis, double extent)
{
    const std::vector<Anchor> anchors = chainAnchors(chain, axis);
    Bounds spanBounds;
    addChainContentBounds(chain, axis, spanBounds);
    // The container's own size was resolved from these; here they only keep the span sane.
    addAnchorLimits(anchors, extent, spanBounds);
    const double span = spanBounds.resolve();

    std::vector<double> sizes;
    std::vector<double> minimums;
    std::vector<float> stretchPriority;
    std::vector<float> shrinkPriority;
    double used = 0.0;
    for (Node *member : chain) {
        const Bounds bounds = sizeBounds(*member, axis);
        sizes.push_back(bounds.resolve());
        double minimum = 0.0;
        float resistance = Required;
        bounds.forEachLower([&](double value, float priority) {
            if (priority >= Required)
                minimum = std::max(minimum, value);
            else if (value > minimum)
                resistance = std::min(resistance, priority);
        });
        minimums.push_back(minimum);
        shrinkPriority.push_back(resistance);
        stretchPriority.push_back(bounds.strongestUpperPriority());
    }
    applyTies(chain, axis, sizes);
    for (size_t i = 0; i < chain.size(); ++i)
        used += sizes[i] + (chain[i]->link[axis] ? chain[i]->link[axis]->constant : 0.0);
    double spare = span - used;
    if (spare > 0.0) {
        // Grow the members that resist it least, equally, so tied extents stay equal.
        const float weakest = *std::min_element(stretchPriority.begin(), stretchPriority.end());
        const auto growing = std::count(stretchPriority.begin(), stretchPriority.end(), weakest);
        for (size_t i = 0; i < chain.size(); ++i) {
            if (stretchPriority[i] == weakest)
                sizes[i] += spare / double(growing);
        }
    }
    while (spare < 0.0) {
        // Shrink the members with the weakest compression resistance, in proportion to what
        // each can give, never below what is required.
        float weakest = Required;
        double available = 0.0;
        for (size_t i = 0; i < chain.size(); ++i) {
            if (sizes[i] > minimums[i])
                weakest = std::min(weakest, shrinkPriority[i]);
        }
        for (size_t i = 0; i < chain.size(); ++i) {
            if (sizes[i] > minimums[i] && shrinkPriority[i] == weakest)
                available += sizes[i] - minimums[i];
        }
        if (available <= 0.0)
            break;
        const double taken = std::min(-spare, available);
        for (size_t i = 0; i < chain.size(); ++i) {
            if (sizes[i] > minimums[i] && shrinkPriority[i] == weakest)
                sizes[i] -= (sizes[i] - minimums[i]) * taken / available;
        }
        spare += taken;
    }
    double position = resolvePosition(anchors, extent, span);
    for (size_t i = 0; i < chain.size(); ++i) {
        Node &member = *chain[i];
        if (member.link[axis])
            position += member.link[axis]->constant;
        member.position[axis] = position;
        member.extent[axis] = sizes[i];
        member.solved[axis] = true;
        position += sizes[i];
    }
}

void Solver::layoutChildren(QWidget *container, int axis, double extent)
{
    const auto found = m_nodes.find(container);
    if (found == m_nodes.end())
        return;
    const std::vector<QWidget *> &children = found->second.children;
    const std::vector<std::vector<Node *>> chains = chainsAmong(children, axis);
    for (const auto &chain : chains)
        layoutChain(chain, axis, extent);
    for (QWidget *widget : children) {
        Node &child = m_nodes.at(widget);
        if (!isChained(chains, child))
            placeAlone(child, axis, extent);
    }
    for (QWidget *widget : children) {
        Node &child = m_nodes.at(widget);
        if (axis == Horizontal && container->layoutDirection() == Qt::RightToLeft)
            child.position[axis] = extent - child.position[axis] - child.extent[axis];
        layoutChildren(widget, axis, child.extent[axis]);
    }
}

void Solver::applyGeometry()
{
    for (auto &[widget, entry] : m_nodes) {
        if (!isPlaced(widget) || !entry.solved[Horizontal] || !entry.solved[Vertical])
            continue;
        // Round the edges, not the sizes, so neighbours stay flush.
        const int left = qRound(entry.position[Horizontal]);
        const int top = qRound(entry.position[Vertical]);
        const int right = qRound(entry.position[Horizontal] + entry.extent[Horizontal]);
        const int bottom = qRound(entry.position[Vertical] + entry.extent[Vertical]);
        widget->setGeometry(left, top, right - left, bottom - top);
    }
}

} // namespace

void Fen_QorLayoutSolver::solve(QWidget *root)
{
    if (root)
        Solver(root).run();
}

QSizeF Fen_QorLayoutSolver::intrinsicContentSize(const QWidget *view)
{
    if (const auto *label = qobject_cast<const QLabel *>(view)) {
        if (label->text().isEmpty() && label->pixmap().isNull() && !label->movie()
            && label->picture().isNull())
            return { 0.0, 0.0 };
    }
    const QSize hint = view->sizeHint();
    const auto component = [](int hinted, int minimum, int maximum) {
        if (hinted >= 0)
            return double(hinted);
        return minimum == maximum ? double(minimum) : -1.0;
    };
    return { component(hint.width(), view->minimumWidth(), view->maximumWidth()),
             component(hint.height(), view->minimumHeight(), view->maximumHeight()) };
}
