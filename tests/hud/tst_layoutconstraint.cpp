#include "Fen_QorLayoutConstraint.h"
#include "Fen_QorLayoutSolver.h"
#include "Fen_QorViewLayoutState.h"

#include <QLabel>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;
using Attribute = Fen_QorLayoutConstraint::Attribute;
using Relation = Fen_QorLayoutConstraint::Relation;

Q_DECLARE_METATYPE(Attribute)
Q_DECLARE_METATYPE(Relation)

namespace {

class SizedWidget : public QWidget
{
public:
    SizedWidget(QSize hint, QWidget *parent) : QWidget(parent), m_hint(hint) { }
    QSize sizeHint() const override { return m_hint; }

private:
    QSize m_hint;
};

Fen_QorLayoutConstraint *relate(QWidget *first, Attribute firstAttribute, Relation relation,
                                QWidget *second, Attribute secondAttribute, double constant,
                                float priority = 1000.0f)
{
    auto *constraint = Fen_QorLayoutConstraint::constraintWithItem(
        first, firstAttribute, relation, second, secondAttribute, 1.0, constant);
    constraint->setPriority(priority);
    return constraint;
}

// Pins \a child's leading and top edges to its parent's, and its size to \a size (when given).
void pin(QWidget *child, QPoint at, QSize size = QSize(-1, -1))
{
    QWidget *parent = child->parentWidget();
    Fen_QorViewLayoutState::addConstraints(
        parent,
        { relate(child, Attribute::Leading, Relation::Equal, parent, Attribute::Leading, at.x()),
          relate(child, Attribute::Top, Relation::Equal, parent, Attribute::Top, at.y()) });
    if (size.width() >= 0)
        Fen_QorViewLayoutState::addConstraints(child,
                                               { relate(child, Attribute::Width, Relation::Equal,
                                                        nullptr, Attribute::None, size.width()),
                                                 relate(child, Attribute::Height, Relation::Equal,
                                                        nullptr, Attribute::None, size.height()) });
}

} // namespace

class tst_LayoutConstraint : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void dataReadsBack();
    void visualFormat_data();
    void visualFormat();
    void visualFormatRejects_data();
    void visualFormatRejects();
    void installingMovesAndRemovingDeletes();
    void destroyedItemLeavesConstraintInert();
    void priorityPropertiesPerAxis();
    void solverHonoursPriorities_data();
    void solverHonoursPriorities();
    void solverKeepsTiedChainMembersEqual();
    void solverMirrorsRightToLeft();
    void solverIgnoresUnconstrainedWidgets();
    void intrinsicContentSize_data();
    void intrinsicContentSize();
};

void tst_LayoutConstraint::dataReadsBack()
{
    QWidget parent;
    QWidget child(&parent);
    Fen_QorLayoutConstraint constraint(&child, Attribute::CenterX, Relation::GreaterThanOrEqual,
                                       &parent, Attribute::CenterX, 1.0, 12.5);
    QCOMPARE(constraint.firstItem(), &child);
    QCOMPARE(constraint.secondItem(), &parent);
    QCOMPARE(constraint.priority(), 1000.0f);
    constraint.setConstant(-3);
    QCOMPARE(constraint.constant(), -3.0);
    constraint.setPriority(2000);
    QCOMPARE(constraint.priority(), 1000.0f);
    constraint.setPriority(-5);
    QCOMPARE(constraint.priority(), 1.0f);

    // Against a constant alone, the second attribute reads as none whatever was passed.
    Fen_QorLayoutConstraint alone(&child, Attribute::Width, Relation::Equal, nullptr,
                                  Attribute::Height, 1.0, 4.0);
    QCOMPARE(alone.secondItem(), nullptr);
    QCOMPARE(alone.secondAttribute(), Attribute::None);
    QVERIFY(alone.isIntact());
}

void tst_LayoutConstraint::visualFormat_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<Attribute>("leading");
    QTest::addColumn<Attribute>("trailing");
    QTest::addColumn<Relation>("leadingRelation");
    QTest::addColumn<double>("leadingConstant");
    QTest::addColumn<Relation>("trailingRelation");
    QTest::addColumn<double>("trailingConstant");

    QTest::newRow("horizontal, metric")
        << u"|-(>=margin)-[view]-(>=margin)-|"_s << Attribute::Leading << Attribute::Trailing
        << Relation::GreaterThanOrEqual << 20.0 << Relation::GreaterThanOrEqual << 20.0;
    QTest::newRow("vertical, metric")
        << u"V:|-(>=margin)-[view]-(>=margin)-|"_s << Attribute::Top << Attribute::Bottom
        << Relation::GreaterThanOrEqual << 20.0 << Relation::GreaterThanOrEqual << 20.0;
    QTest::newRow("explicit horizontal, numbers")
        << u"H:|-(==8)-[view]-(<=-2.5)-|"_s << Attribute::Leading << Attribute::Trailing
        << Relation::Equal << 8.0 << Relation::LessThanOrEqual << -2.5;
    QTest::newRow("no relation means equal")
        << u"|-(margin)-[view]-(0)-|"_s << Attribute::Leading << Attribute::Trailing
        << Relation::Equal << 20.0 << Relation::Equal << 0.0;
}

void tst_LayoutConstraint::visualFormat()
{
    QFETCH(QString, format);
    QFETCH(Attribute, leading);
    QFETCH(Attribute, trailing);
    QFETCH(Relation, leadingRelation);
    QFETCH(double, leadingConstant);
    QFETCH(Relation, trailingRelation);
    QFETCH(double, trailingConstant);

    QWidget parent;
    QWidget view(&parent);
    const QList<Fen_QorLayoutConstraint *> made
        = Fen_QorLayoutConstraint::constraintsWithVisualFormat(format, 0, { { u"margin"_s, 20.0 } },
                                                               { { u"view"_s, &view } });
    QCOMPARE(made.size(), 2);
    const std::unique_ptr<Fen_QorLayoutConstraint> first(made.at(0));
    const std::unique_ptr<Fen_QorLayoutConstraint> second(made.at(1));

    // view.leading (rel) parent.leading + constant
    QCOMPARE(first->firstItem(), &view);
    QCOMPARE(first->firstAttribute(), leading);
    QCOMPARE(first->secondItem(), &parent);
    QCOMPARE(first->secondAttribute(), leading);
    QCOMPARE(first->relation(), leadingRelation);
    QCOMPARE(first->constant(), leadingConstant);
    // parent.trailing (rel) view.trailing + constant
    QCOMPARE(second->firstItem(), &parent);
    QCOMPARE(second->firstAttribute(), trailing);
    QCOMPARE(second->secondItem(), &view);
    QCOMPARE(second->secondAttribute(), trailing);
    QCOMPARE(second->relation(), trailingRelation);
    QCOMPARE(second->constant(), trailingConstant);
    QCOMPARE(second->multiplier(), 1.0);
    QCOMPARE(second->priority(), 1000.0f);
}

void tst_LayoutConstraint::visualFormatRejects_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<int>("options");
    QTest::addColumn<bool>("hasParent");

    QTest::newRow("two views") << u"|-(>=margin)-[view]-[view]-(>=margin)-|"_s << 0 << true;
    QTest::newRow("one side only") << u"[view]-(>=margin)-|"_s << 0 << true;
    QTest::newRow("standard spacing") << u"|-[view]-|"_s << 0 << true;
    QTest::newRow("unknown metric") << u"|-(>=gap)-[view]-(>=margin)-|"_s << 0 << true;
    QTest::newRow("unknown view") << u"|-(>=margin)-[other]-(>=margin)-|"_s << 0 << true;
    QTest::newRow("options") << u"|-(>=margin)-[view]-(>=margin)-|"_s << 1 << true;
    QTest::newRow("no parent") << u"|-(>=margin)-[view]-(>=margin)-|"_s << 0 << false;
    QTest::newRow("empty") << QString() << 0 << true;
}

void tst_LayoutConstraint::visualFormatRejects()
{
    QFETCH(QString, format);
    QFETCH(int, options);
    QFETCH(bool, hasParent);

    QWidget parent;
    QWidget view(hasParent ? &parent : nullptr);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"[Vv]isual format"_s));
    QVERIFY(Fen_QorLayoutConstraint::constraintsWithVisualFormat(
                format, options, { { u"margin"_s, 20.0 } }, { { u"view"_s, &view } })
                .isEmpty());
}

void tst_LayoutConstraint::installingMovesAndRemovingDeletes()
{
    QWidget a;
    QWidget b;
    auto *one = relate(&a, Attribute::Width, Relation::Equal, nullptr, Attribute::None, 1);
    auto *two = relate(&a, Attribute::Height, Relation::Equal, nullptr, Attribute::None, 2);
    Fen_QorViewLayoutState::addConstraints(&a, { one, two, one });
    QCOMPARE(Fen_QorViewLayoutState::constraints(&a),
             (QList<Fen_QorLayoutConstraint *> { one, two }));

    Fen_QorViewLayoutState::addConstraint(&b, one);
    QCOMPARE(Fen_QorViewLayoutState::constraints(&a), QList<Fen_QorLayoutConstraint *> { two });
    QCOMPARE(Fen_QorViewLayoutState::constraints(&b), QList<Fen_QorLayoutConstraint *> { one });

    // Only what is installed on the view goes; removing the view's own list empties it.
    Fen_QorViewLayoutState::removeConstraints(&a, { one });
    QCOMPARE(Fen_QorViewLayoutState::constraints(&b), QList<Fen_QorLayoutConstraint *> { one });
    Fen_QorViewLayoutState::removeConstraints(&a, Fen_QorViewLayoutState::constraints(&a));
    QVERIFY(Fen_QorViewLayoutState::constraints(&a).isEmpty());
    // Removing again (with addresses of deleted constraints) is harmless.
    Fen_QorViewLayoutState::removeConstraints(&a, { two });
}

void tst_LayoutConstraint::destroyedItemLeavesConstraintInert()
{
    QWidget parent;
    parent.resize(100, 100);
    auto *doomed = new QWidget(&parent);
    auto *survivor = new QWidget(&parent);
    pin(survivor, QPoint(5, 6), QSize(7, 8));
    Fen_QorLayoutConstraint *link
        = relate(doomed, Attribute::Top, Relation::Equal, survivor, Attribute::Bottom, 3);
    Fen_QorViewLayoutState::addConstraint(&parent, link);
    // The doomed widget also owns constraints; they go with it.
    pin(doomed, QPoint(1, 1), QSize(2, 2));

    delete doomed;

    QVERIFY(!link->isIntact());
    QCOMPARE(link->firstItem(), nullptr);
    Fen_QorLayoutSolver::solve(&parent);
    QCOMPARE(survivor->geometry(), QRect(5, 6, 7, 8));
}

void tst_LayoutConstraint::priorityPropertiesPerAxis()
{
    QWidget view;
    QCOMPARE(Fen_QorViewLayoutState::contentCompressionResistancePriority(&view, Qt::Vertical),
             750.0f);
    QCOMPARE(Fen_QorViewLayoutState::contentHuggingPriority(&view, Qt::Horizontal), 250.0f);
    Fen_QorViewLayoutState::setContentCompressionResistancePriority(&view, 998, Qt::Vertical);
    Fen_QorViewLayoutState::setContentHuggingPriority(&view, 251, Qt::Horizontal);
    QCOMPARE(Fen_QorViewLayoutState::contentCompressionResistancePriority(&view, Qt::Vertical),
             998.0f);
    QCOMPARE(Fen_QorViewLayoutState::contentCompressionResistancePriority(&view, Qt::Horizontal),
             750.0f);
    QCOMPARE(Fen_QorViewLayoutState::contentHuggingPriority(&view, Qt::Horizontal), 251.0f);
    QCOMPARE(Fen_QorViewLayoutState::contentHuggingPriority(&view, Qt::Vertical), 250.0f);
}

void tst_LayoutConstraint::solverHonoursPriorities_data()
{
    QTest::addColumn<int>("naturalWidth");
    QTest::addColumn<double>("askedWidth");
    QTest::addColumn<float>("askedPriority");
    QTest::addColumn<float>("compressionResistance");
    QTest::addColumn<int>("expectedWidth");

    // A child kept within 10 points of a 200-wide parent's edges (at 900), hugging its natural
    // width at 250, and asked for another width at some priority.
    QTest::newRow("resistance beats a weaker narrower width")
        << 150 << 40.0 << 700.0f << 750.0f << 150;
    QTest::newRow("a stronger narrower width beats resistance")
        << 150 << 40.0 << 800.0f << 750.0f << 40;
    QTest::newRow("hugging beats a weaker wider width") << 150 << 160.0 << 200.0f << 750.0f << 150;
    QTest::newRow("a wider width beats hugging") << 150 << 160.0 << 300.0f << 750.0f << 160;
    QTest::newRow("edges stop a wider width") << 150 << 300.0 << 300.0f << 750.0f << 180;
    QTest::newRow("edges compress a weakly resisting child") << 400 << 0.0 << 1.0f << 750.0f << 180;
    QTest::newRow("strong resistance overrides the edges") << 400 << 0.0 << 1.0f << 950.0f << 400;
}

void tst_LayoutConstraint::solverHonoursPriorities()
{
    QFETCH(int, naturalWidth);
    QFETCH(double, askedWidth);
    QFETCH(float, askedPriority);
    QFETCH(float, compressionResistance);
    QFETCH(int, expectedWidth);

    QWidget parent;
    parent.resize(200, 100);
    SizedWidget child(QSize(naturalWidth, 20), &parent);
    Fen_QorViewLayoutState::setContentCompressionResistancePriority(&child, compressionResistance,
                                                                    Qt::Horizontal);
    Fen_QorViewLayoutState::addConstraints(
        &parent,
        { relate(&child, Attribute::Leading, Relation::GreaterThanOrEqual, &parent,
                 Attribute::Leading, 10, 900),
          relate(&parent, Attribute::Trailing, Relation::GreaterThanOrEqual, &child,
                 Attribute::Trailing, 10, 900),
          relate(&child, Attribute::Top, Relation::Equal, &parent, Attribute::Top, 0) });
    Fen_QorViewLayoutState::addConstraint(&child,
                                          relate(&child, Attribute::Width, Relation::Equal, nullptr,
                                                 Attribute::None, askedWidth, askedPriority));

    Fen_QorLayoutSolver::solve(&parent);

    QCOMPARE(child.width(), expectedWidth);
    QCOMPARE(child.height(), 20);
    QCOMPARE(child.x(), 10);
}

void tst_LayoutConstraint::solverKeepsTiedChainMembersEqual()
{
    // Two stacked fillers span a 100-high parent; one needs 10, the other 30, and they are tied.
    QWidget parent;
    parent.resize(60, 100);
    QWidget upper(&parent);
    QWidget lower(&parent);
    Fen_QorViewLayoutState::addConstraints(
        &parent,
        { relate(&upper, Attribute::Top, Relation::Equal, &parent, Attribute::Top, 0),
          relate(&lower, Attribute::Top, Relation::Equal, &upper, Attribute::Bottom, 0),
          relate(&lower, Attribute::Bottom, Relation::Equal, &parent, Attribute::Bottom, 0),
          relate(&upper, Attribute::Height, Relation::GreaterThanOrEqual, nullptr, Attribute::None,
                 10),
          relate(&lower, Attribute::Height, Relation::GreaterThanOrEqual, nullptr, Attribute::None,
                 30),
          relate(&upper, Attribute::Height, Relation::Equal, &lower, Attribute::Height, 0),
          relate(&upper, Attribute::Leading, Relation::Equal, &parent, Attribute::Leading, 0),
          relate(&lower, Attribute::Leading, Relation::Equal, &parent, Attribute::Leading, 0) });

    Fen_QorLayoutSolver::solve(&parent);

    QCOMPARE(upper.geometry(), QRect(0, 0, 0, 50));
    QCOMPARE(lower.geometry(), QRect(0, 50, 0, 50));
}

void tst_LayoutConstraint::solverMirrorsRightToLeft()
{
    QWidget parent;
    parent.resize(200, 100);
    parent.setLayoutDirection(Qt::RightToLeft);
    QWidget child(&parent);
    pin(&child, QPoint(10, 5), QSize(30, 20));

    Fen_QorLayoutSolver::solve(&parent);

    // Leading is the right-hand edge in right-to-left layouts.
    QCOMPARE(child.geometry(), QRect(200 - 10 - 30, 5, 30, 20));
}

void tst_LayoutConstraint::solverIgnoresUnconstrainedWidgets()
{
    QWidget parent;
    parent.resize(200, 100);
    QWidget placed(&parent);
    QWidget free(&parent);
    free.setGeometry(1, 2, 3, 4);
    pin(&placed, QPoint(10, 20), QSize(30, 40));

    Fen_QorLayoutSolver::solve(&parent);

    QCOMPARE(placed.geometry(), QRect(10, 20, 30, 40));
    QCOMPARE(free.geometry(), QRect(1, 2, 3, 4));
    QCOMPARE(parent.size(), QSize(200, 100));
}

void tst_LayoutConstraint::intrinsicContentSize_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QSizeF>("expected");

    QTest::newRow("plain widget: none") << 0 << QSizeF(-1, -1);
    QTest::newRow("fixed-size widget") << 1 << QSizeF(24, 16);
    QTest::newRow("empty label") << 2 << QSizeF(0, 0);
    QTest::newRow("one fixed dimension") << 3 << QSizeF(-1, 16);
}

void tst_LayoutConstraint::intrinsicContentSize()
{
    QFETCH(int, kind);
    QFETCH(QSizeF, expected);

    QWidget plain;
    QLabel label;
    QWidget *subject = kind == 2 ? static_cast<QWidget *>(&label) : &plain;
    if (kind == 1)
        plain.setFixedSize(24, 16);
    if (kind == 3)
        plain.setFixedHeight(16);
    QCOMPARE(Fen_QorLayoutSolver::intrinsicContentSize(subject), expected);

    if (kind == 2) {
        label.setText(u"Saved"_s);
        QCOMPARE(Fen_QorLayoutSolver::intrinsicContentSize(&label), QSizeF(label.sizeHint()));
    }
}

QTEST_MAIN(tst_LayoutConstraint)
#include "tst_layoutconstraint.moc"
