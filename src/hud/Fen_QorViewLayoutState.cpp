#include "Fen_QorViewLayoutState.h"

#include <QWidget>

#include <memory>
#include <unordered_map>
#include <vector>

namespace {

struct LayoutState
{
    std::vector<std::unique_ptr<Fen_QorLayoutConstraint>> constraints;
    float compressionResistance[2] = { Fen_QorViewLayoutState::DefaultCompressionResistance,
                                       Fen_QorViewLayoutState::DefaultCompressionResistance };
    float hugging[2]
        = { Fen_QorViewLayoutState::DefaultHugging, Fen_QorViewLayoutState::DefaultHugging };
};

// Keyed by address only: an entry is dropped from the widget's destroyed() signal, so a key is
// never looked up after its widget is gone.
std::unordered_map<const QObject *, LayoutState> &stateTable()
{
    static std::unordered_map<const QObject *, LayoutState> table;
    return table;
}

const LayoutState *findState(const QWidget *view)
{
    const auto &table = stateTable();
    const auto it = table.find(view);
    return it == table.end() ? nullptr : &it->second;
}

LayoutState &ensureState(QWidget *view)
{
    auto &table = stateTable();
    auto it = table.find(view);
    if (it == table.end()) {
        QObject::connect(view, &QObject::destroyed, view,
                         [](QObject *gone) { stateTable().erase(gone); });
        it = table.emplace(view, LayoutState()).first;
    }
    return it->second;
}

int axisIndex(Qt::Orientation axis)
{
    return axis == Qt::Horizontal ? 0 : 1;
}

// Takes \a constraint out of its owner's list without deleting it.
std::unique_ptr<Fen_QorLayoutConstraint> detach(QWidget *owner, Fen_QorLayoutConstraint *constraint)
{
    auto &table = stateTable();
    const auto it = table.find(owner);
    if (it == table.end())
        return nullptr;
    auto &list = it->second.constraints;
    for (auto entry = list.begin(); entry != list.end(); ++entry) {
        if (entry->get() == constraint) {
            std::unique_ptr<Fen_QorLayoutConstraint> taken = std::move(*entry);
            list.erase(entry);
            return taken;
        }
    }
    return nullptr;
}

} // namespace

QList<Fen_QorLayoutConstraint *> Fen_QorViewLayoutState::constraints(const QWidget *view)
{
    QList<Fen_QorLayoutConstraint *> result;
    if (const LayoutState *state = findState(view)) {
        result.reserve(qsizetype(state->constraints.size()));
        for (const auto &constraint : state->constraints)
            result.append(constraint.get());
    }
    return result;
}

void Fen_QorViewLayoutState::addConstraint(QWidget *view, Fen_QorLayoutConstraint *constraint)
{
    if (!view || !constraint || constraint->m_owner == view)
        return;
    std::unique_ptr<Fen_QorLayoutConstraint> owned;
    if (constraint->m_owner)
        owned = detach(constraint->m_owner, constraint);
    if (!owned)
        owned.reset(constraint);
    owned->m_owner = view;
    ensureState(view).constraints.push_back(std::move(owned));
}

void Fen_QorViewLayoutState::addConstraints(QWidget *view,
                                            const QList<Fen_QorLayoutConstraint *> &constraints)
{
    for (Fen_QorLayoutConstraint *constraint : constraints)
        addConstraint(view, constraint);
}

void Fen_QorViewLayoutState::removeConstraints(QWidget *view,
                                               const QList<Fen_QorLayoutConstraint *> &constraints)
{
    if (!view)
        return;
    // Matched by address only, so a list holding constraints that are already gone is harmless.
    const QList<Fen_QorLayoutConstraint *> doomed = constraints; // may be this view's own list
    for (Fen_QorLayoutConstraint *constraint : doomed)
        detach(view, constraint).reset();
}

float Fen_QorViewLayoutState::contentCompressionResistancePriority(const QWidget *view,
                                                                   Qt::Orientation axis)
{
    const LayoutState *state = findState(view);
    return state ? state->compressionResistance[axisIndex(axis)] : DefaultCompressionResistance;
}

void Fen_QorViewLayoutState::setContentCompressionResistancePriority(QWidget *view, float priority,
                                                                     Qt::Orientation axis)
{
    if (view)
        ensureState(view).compressionResistance[axisIndex(axis)] = priority;
}

float Fen_QorViewLayoutState::contentHuggingPriority(const QWidget *view, Qt::Orientation axis)
{
    const LayoutState *state = findState(view);
    return state ? state->hugging[axisIndex(axis)] : DefaultHugging;
}

void Fen_QorViewLayoutState::setContentHuggingPriority(QWidget *view, float priority,
                                                       Qt::Orientation axis)
{
    if (view)
        ensureState(view).hugging[axisIndex(axis)] = priority;
}
