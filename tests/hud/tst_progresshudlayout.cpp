#include "Fen_QorProgressHUDLayout.h"
#include "Fen_QorViewLayoutState.h"

#include <QLabel>
#include <QStandardPaths>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;
using Attribute = Fen_QorLayoutConstraint::Attribute;
using Relation = Fen_QorLayoutConstraint::Relation;

namespace {

// A widget with a fixed natural size, standing in for an indicator or the button.
class SizedWidget : public QWidget
{
public:
    SizedWidget(QSize hint, QWidget *parent) : QWidget(parent), m_hint(hint) { }
    QSize sizeHint() const override { return m_hint; }
    void setHint(QSize hint) { m_hint = hint; }

private:
    QSize m_hint;
};

// The HUD's view tree with plain widgets: a 320×568 HUD, its bezel and the bezel's column.
struct Tree
{
    explicit Tree(bool withIndicator = true, QSize buttonHint = QSize(0, 0))
    {
        hud.resize(320, 568);
        bezel = new QWidget(&hud);
        label = new QLabel(bezel);
        detailsLabel = new QLabel(bezel);
        detailsLabel->setWordWrap(true);
        button = new SizedWidget(buttonHint, bezel);
        topSpacer = new QWidget(bezel);
        bottomSpacer = new QWidget(bezel);
        topSpacer->hide();
        bottomSpacer->hide();
        if (withIndicator)
            indicator = new SizedWidget(QSize(37, 37), bezel);
        const QList<QWidget *> items { label, detailsLabel, button, indicator };
        for (QWidget *item : items) {
            if (!item)
                continue;
            Fen_QorViewLayoutState::setContentCompressionResistancePriority(item, 998,
                                                                            Qt::Horizontal);
            Fen_QorViewLayoutState::setContentCompressionResistancePriority(item, 998,
                                                                            Qt::Vertical);
        }
    }

    Fen_QorProgressHUDLayout::Views views() const
    {
        return { const_cast<QWidget *>(&hud),
                 bezel,
                 topSpacer,
                 bottomSpacer,
                 indicator,
                 label,
                 detailsLabel,
                 button };
    }

    // Rebuilds the set and lays out, as the HUD does after a property change.
    void update(const Fen_QorProgressHUDLayout::Metrics &metrics = {})
    {
        layout.updateConstraints(views(), metrics);
        layout.layoutSubviews(false);
    }

    QList<QWidget *> column() const
    {
        QList<QWidget *> items { topSpacer, label, detailsLabel, button, bottomSpacer };
        if (indicator)
            items.insert(1, indicator);
        return items;
    }

    QWidget hud;
    QWidget *bezel = nullptr;
    QLabel *label = nullptr;
    QLabel *detailsLabel = nullptr;
    SizedWidget *button = nullptr;
    QWidget *topSpacer = nullptr;
    QWidget *bottomSpacer = nullptr;
    SizedWidget *indicator = nullptr;
    Fen_QorProgressHUDLayout layout;
};

QList<double> constantsOf(const QList<Fen_QorLayoutConstraint *> &constraints)
{
    QList<double> constants;
    for (const Fen_QorLayoutConstraint *constraint : constraints)
        constants.append(constraint->constant());
    return constants;
}

// The natural height of an item as the column stacks it (a hidden spacer counts as given).
int naturalHeight(QWidget *item)
{
    const QSize hint = item->sizeHint();
    if (auto *label = qobject_cast<QLabel *>(item); label && label->text().isEmpty())
        return 0;
    return qMax(0, hint.height());
}

// Whether \a inner is centred in \a outer (same coordinates) to within the rounding of edges.
bool isCentredIn(const QRect &inner, const QRect &outer)
{
    const int twiceOffsetX = 2 * (inner.x() - outer.x()) + inner.width() - outer.width();
    const int twiceOffsetY = 2 * (inner.y() - outer.y()) + inner.height() - outer.height();
    return qAbs(twiceOffsetX) <= 1 && qAbs(twiceOffsetY) <= 1;
}

bool isCentredHorizontallyIn(const QRect &inner, const QRect &outer)
{
    return isCentredIn(inner, QRect(outer.x(), inner.y(), outer.width(), inner.height()));
}

} // namespace

class tst_ProgressHUDLayout : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void chainConstantsAndFrames_data();
    void chainConstantsAndFrames();
    void minimumSize_data();
    void minimumSize();
    void square_data();
    void square();
    void offsetKeepsBezelInsideMargins_data();
    void offsetKeepsBezelInsideMargins();
    void secondUpdateReplacesTheSet();
    void zeroMarginLetsItemsTouchTheBezel();
    void labelTextChangeMovesGapsWithoutRebuild();
    void longDetailsWrapAtTheAvailableWidth();
    void destroyedIndicatorIsSkipped();
    void visibility_data();
    void visibility();
    void applyPriority();
};

void tst_ProgressHUDLayout::chainConstantsAndFrames_data()
{
    QTest::addColumn<bool>("withIndicator");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("details");
    QTest::addColumn<QSize>("buttonHint");
    QTest::addColumn<QList<double>>("constants");

    QTest::newRow("text mode, title only")
        << false << u"Done"_s << QString() << QSize(0, 0) << QList<double> { 0, 0, 0, 0 };
    QTest::newRow("indicator, title, details, no action")
        << true << u"Loading"_s << u"Please wait"_s << QSize(0, 0)
        << QList<double> { 0, 4, 4, 0, 0 };
    QTest::newRow("indicator, empty title, details")
        << true << QString() << u"Please wait"_s << QSize(0, 0) << QList<double> { 0, 0, 4, 0, 0 };
    QTest::newRow("button only") << false << QString() << QString() << QSize(80, 31)
                                 << QList<double> { 0, 0, 0, 0 };
    QTest::newRow("indicator and button")
        << true << QString() << QString() << QSize(80, 31) << QList<double> { 0, 0, 0, 4, 0 };
    QTest::newRow("title and button")
        << false << u"Saved"_s << QString() << QSize(80, 31) << QList<double> { 0, 0, 4, 0 };
}

void tst_ProgressHUDLayout::chainConstantsAndFrames()
{
    QFETCH(bool, withIndicator);
    QFETCH(QString, title);
    QFETCH(QString, details);
    QFETCH(QSize, buttonHint);
    QFETCH(QList<double>, constants);

    Tree tree(withIndicator, buttonHint);
    tree.label->setText(title);
    tree.detailsLabel->setText(details);
    tree.update();

    QCOMPARE(constantsOf(tree.layout.paddingConstraints()), constants);

    // The frames follow the chain: each item starts its constant below the one above it.
    const QList<QWidget *> column = tree.column();
    for (qsizetype i = 1; i < column.size(); ++i) {
        const QRect upper = column.at(i - 1)->geometry();
        QCOMPARE(column.at(i)->geometry().top(),
                 upper.top() + upper.height() + int(constants.at(i - 1)));
    }

    // The bezel wraps its column: margin-high spacers, the widest item plus the side margins,
    // and it sits in the middle of the HUD.
    const int margin = 20;
    int width = 0;
    int height = 2 * margin;
    for (QWidget *item : column) {
        if (item != tree.topSpacer && item != tree.bottomSpacer) {
            width = qMax(width,
                         qobject_cast<QLabel *>(item) && naturalHeight(item) == 0
                             ? 0
                             : qMax(0, item->sizeHint().width()));
            height += naturalHeight(item);
            QVERIFY(isCentredHorizontallyIn(item->geometry(), tree.bezel->rect()));
        }
    }
    for (double constant : constants)
        height += int(constant);
    QCOMPARE(tree.topSpacer->height(), margin);
    QCOMPARE(tree.bottomSpacer->height(), margin);
    QCOMPARE(tree.bezel->size(), QSize(width + 2 * margin, height));
    QVERIFY(isCentredIn(tree.bezel->geometry(), tree.hud.rect()));
}

void tst_ProgressHUDLayout::minimumSize_data()
{
    QTest::addColumn<QSizeF>("minSize");
    QTest::addColumn<int>("minimumConstraints");
    QTest::addColumn<QSize>("expectedBezel");

    // Content: a 37×37 indicator alone, so the bezel wraps to 77×77.
    QTest::newRow("none") << QSizeF(0, 0) << 0 << QSize(77, 77);
    QTest::newRow("wider") << QSizeF(200, 0) << 2 << QSize(200, 77);
    QTest::newRow("taller") << QSizeF(0, 151) << 2 << QSize(77, 151);
    // Not (0, 0), though QSizeF's fuzzy == would take it for it.
    QTest::newRow("almost zero") << QSizeF(1e-13, 0) << 2 << QSize(77, 77);
    QTest::newRow("smaller than content") << QSizeF(10, 10) << 2 << QSize(77, 77);
    QTest::newRow("larger than the HUD") << QSizeF(1000, 1000) << 2 << QSize(280, 528);
}

void tst_ProgressHUDLayout::minimumSize()
{
    QFETCH(QSizeF, minSize);
    QFETCH(int, minimumConstraints);
    QFETCH(QSize, expectedBezel);

    Tree tree;
    Fen_QorProgressHUDLayout::Metrics metrics;
    metrics.minSize = minSize;
    tree.update(metrics);

    int found = 0;
    for (const Fen_QorLayoutConstraint *constraint : tree.layout.bezelConstraints()) {
        if (constraint->secondItem() == nullptr) {
            ++found;
            QCOMPARE(constraint->relation(), Relation::GreaterThanOrEqual);
            QCOMPARE(constraint->priority(), 997.0f);
            QCOMPARE(constraint->constant(),
                     constraint->firstAttribute() == Attribute::Width ? minSize.width()
                                                                      : minSize.height());
        }
    }
    QCOMPARE(found, minimumConstraints);
    QCOMPARE(tree.bezel->size(), expectedBezel);
    // Extra height goes to the spacers, equally (to the rounding of edges), so the indicator
    // stays in the middle.
    QVERIFY(qAbs(tree.topSpacer->height() - tree.bottomSpacer->height()) <= 1);
    QVERIFY(isCentredIn(tree.indicator->geometry(), tree.bezel->rect()));
}

void tst_ProgressHUDLayout::square_data()
{
    QTest::addColumn<QSize>("hudSize");
    QTest::addColumn<QSize>("buttonHint");
    QTest::addColumn<QSize>("expectedBezel");

    // A 120×31 button alone: content 160×71.
    QTest::newRow("wider content grows in height")
        << QSize(320, 568) << QSize(120, 31) << QSize(160, 160);
    // 31 + 4 + 37 points of items: content 77×112.
    QTest::newRow("taller content grows in width")
        << QSize(320, 568) << QSize(20, 31) << QSize(112, 112);
    QTest::newRow("HUD too short: margins win")
        << QSize(320, 120) << QSize(120, 31) << QSize(160, 80);
}

void tst_ProgressHUDLayout::square()
{
    QFETCH(QSize, hudSize);
    QFETCH(QSize, buttonHint);
    QFETCH(QSize, expectedBezel);

    const bool taller = buttonHint.width() < 37;
    Tree tree(taller, buttonHint);
    tree.hud.resize(hudSize);
    Fen_QorProgressHUDLayout::Metrics metrics;
    metrics.square = true;
    tree.update(metrics);

    QCOMPARE(tree.bezel->size(), expectedBezel);
    QVERIFY(qAbs(tree.topSpacer->height() - tree.bottomSpacer->height()) <= 1);
    QVERIFY(tree.bezel->geometry().top() >= metrics.margin);
    QVERIFY(tree.hud.height() - tree.bezel->geometry().bottom() - 1 >= metrics.margin);
}

void tst_ProgressHUDLayout::offsetKeepsBezelInsideMargins_data()
{
    QTest::addColumn<QPointF>("offset");
    QTest::addColumn<QPoint>("expectedTopLeft");

    // A 77×77 bezel in a 320×568 HUD: centred at (121.5, 245.5).
    QTest::newRow("none") << QPointF(0, 0) << QPoint(122, 246);
    QTest::newRow("inside") << QPointF(30, -40) << QPoint(152, 206);
    QTest::newRow("far down") << QPointF(0, 1000) << QPoint(122, 568 - 20 - 77);
    QTest::newRow("far left") << QPointF(-1000, 0) << QPoint(20, 246);
    QTest::newRow("far up and right") << QPointF(1000, -1000) << QPoint(320 - 20 - 77, 20);
}

void tst_ProgressHUDLayout::offsetKeepsBezelInsideMargins()
{
    QFETCH(QPointF, offset);
    QFETCH(QPoint, expectedTopLeft);

    Tree tree;
    Fen_QorProgressHUDLayout::Metrics metrics;
    metrics.offset = offset;
    tree.update(metrics);

    QCOMPARE(tree.bezel->size(), QSize(77, 77));
    QCOMPARE(tree.bezel->pos(), expectedTopLeft);
}

void tst_ProgressHUDLayout::secondUpdateReplacesTheSet()
{
    Tree tree;
    tree.label->setText(u"Loading"_s);
    // Constraints that other code put on the bezel stay; the rest of the bezel's set is replaced.
    auto *foreign
        = new Fen_QorLayoutConstraint(tree.bezel, Attribute::Width, Relation::LessThanOrEqual,
                                      nullptr, Attribute::None, 1.0, 10000.0);
    Fen_QorViewLayoutState::addConstraint(tree.bezel, foreign);
    tree.update();
    const QRect labelFrame = tree.label->geometry();
    const QRect bezelFrame = tree.bezel->geometry();

    Fen_QorProgressHUDLayout::Metrics metrics;
    metrics.square = true;
    tree.layout.updateConstraints(tree.views(), metrics);
    tree.layout.updateConstraints(tree.views(), {});
    tree.layout.layoutSubviews(false);

    // 2 centring + 4 edge constraints on the HUD, one minimum height per spacer, and on the
    // bezel the spacer equality plus, per item of six, centring and two side margins, the top
    // and bottom anchors, and five links.
    QCOMPARE(Fen_QorViewLayoutState::constraints(&tree.hud).size(), 6);
    QCOMPARE(Fen_QorViewLayoutState::constraints(tree.topSpacer).size(), 1);
    QCOMPARE(Fen_QorViewLayoutState::constraints(tree.bottomSpacer).size(), 1);
    QCOMPARE(tree.layout.bezelConstraints().size(), 1 + 6 * 3 + 2 + 5);
    QCOMPARE(tree.layout.paddingConstraints().size(), 5);
    QList<Fen_QorLayoutConstraint *> expectedOnBezel { foreign };
    expectedOnBezel += tree.layout.bezelConstraints();
    QCOMPARE(Fen_QorViewLayoutState::constraints(tree.bezel), expectedOnBezel);
    QCOMPARE(tree.label->geometry(), labelFrame);
    QCOMPARE(tree.bezel->geometry(), bezelFrame);
}

void tst_ProgressHUDLayout::zeroMarginLetsItemsTouchTheBezel()
{
    Tree tree(false);
    tree.label->setText(u"Saved"_s);
    Fen_QorProgressHUDLayout::Metrics metrics;
    metrics.margin = 0;
    tree.update(metrics);

    QCOMPARE(tree.topSpacer->height(), 0);
    QCOMPARE(tree.bottomSpacer->height(), 0);
    QCOMPARE(tree.label->geometry(), tree.bezel->rect());
    QCOMPARE(tree.bezel->size(), tree.label->sizeHint());
}

void tst_ProgressHUDLayout::labelTextChangeMovesGapsWithoutRebuild()
{
    Tree tree;
    tree.detailsLabel->setText(u"Please wait"_s);
    tree.update();
    const QList<Fen_QorLayoutConstraint *> before = tree.layout.bezelConstraints();
    const int detailsTop = tree.detailsLabel->y();
    QCOMPARE(constantsOf(tree.layout.paddingConstraints()), (QList<double> { 0, 0, 4, 0, 0 }));

    tree.label->setText(u"Loading"_s);
    tree.layout.layoutSubviews(false);

    QCOMPARE(tree.layout.bezelConstraints(), before);
    QCOMPARE(constantsOf(tree.layout.paddingConstraints()), (QList<double> { 0, 4, 4, 0, 0 }));
    QCOMPARE(tree.label->y(), tree.indicator->geometry().bottom() + 1 + 4);
    QCOMPARE(tree.detailsLabel->y(), detailsTop + tree.label->height() + 4);

    // Hiding the label takes its gap away again at the next layout.
    tree.label->hide();
    tree.layout.layoutSubviews(false);
    QCOMPARE(constantsOf(tree.layout.paddingConstraints()), (QList<double> { 0, 0, 4, 0, 0 }));
}

void tst_ProgressHUDLayout::longDetailsWrapAtTheAvailableWidth()
{
    Tree tree(false);
    const QString sentence = u"The video could not be saved because the album refused the file; "
                             "check the permissions and the free space on the device. "_s;
    tree.detailsLabel->setText(sentence.repeated(4));
    tree.update();

    // The bezel may be at most the HUD less its margins; the label that much less its own.
    QCOMPARE(tree.bezel->width(), 320 - 2 * 20);
    QCOMPARE(tree.detailsLabel->width(), 320 - 4 * 20);
    QCOMPARE(tree.detailsLabel->height(), tree.detailsLabel->heightForWidth(320 - 4 * 20));
    QVERIFY(tree.detailsLabel->height() > 2 * tree.detailsLabel->fontMetrics().height());
    QCOMPARE(tree.bezel->height(), 2 * 20 + tree.detailsLabel->height());
}

void tst_ProgressHUDLayout::destroyedIndicatorIsSkipped()
{
    Tree tree;
    tree.label->setText(u"Loading"_s);
    tree.update();
    delete tree.indicator;
    tree.indicator = nullptr;

    tree.layout.layoutSubviews(false);

    // The link below the gone indicator counts it as invisible; the label now tops the column.
    QCOMPARE(constantsOf(tree.layout.paddingConstraints()), (QList<double> { 0, 0, 0, 0, 0 }));
    tree.update();
    QCOMPARE(tree.layout.paddingConstraints().size(), 4);
    QCOMPARE(tree.label->y(), 20);
}

void tst_ProgressHUDLayout::visibility_data()
{
    QTest::addColumn<QSize>("hint");
    QTest::addColumn<bool>("hidden");
    QTest::addColumn<bool>("visible");

    QTest::newRow("natural size") << QSize(37, 37) << false << true;
    QTest::newRow("hidden") << QSize(37, 37) << true << false;
    QTest::newRow("zero size") << QSize(0, 0) << false << false;
    QTest::newRow("zero width only") << QSize(0, 12) << false << true;
    QTest::newRow("no intrinsic size") << QSize(-1, -1) << false << true;
    QTest::newRow("no intrinsic width, zero height") << QSize(-1, 0) << false << true;
}

void tst_ProgressHUDLayout::visibility()
{
    QFETCH(QSize, hint);
    QFETCH(bool, hidden);
    QFETCH(bool, visible);

    QWidget parent;
    SizedWidget item(hint, &parent);
    item.setHidden(hidden);
    QCOMPARE(Fen_QorProgressHUDLayout::isVisibleInLayout(&item), visible);

    QLabel label(&parent);
    QVERIFY(!Fen_QorProgressHUDLayout::isVisibleInLayout(&label));
    label.setText(u"x"_s);
    QVERIFY(Fen_QorProgressHUDLayout::isVisibleInLayout(&label));
}

void tst_ProgressHUDLayout::applyPriority()
{
    QWidget parent;
    QWidget child(&parent);
    std::unique_ptr<Fen_QorLayoutConstraint> a(Fen_QorLayoutConstraint::constraintWithItem(
        &child, Attribute::Width, Relation::Equal, nullptr, Attribute::None, 1.0, 5.0));
    std::unique_ptr<Fen_QorLayoutConstraint> b(Fen_QorLayoutConstraint::constraintWithItem(
        &child, Attribute::Height, Relation::Equal, nullptr, Attribute::None, 1.0, 5.0));
    Fen_QorProgressHUDLayout::applyPriority(998, { a.get(), b.get() });
    QCOMPARE(a->priority(), 998.0f);
    QCOMPARE(b->priority(), 998.0f);
    Fen_QorProgressHUDLayout::applyPriority(0, { a.get() });
    QCOMPARE(a->priority(), 1.0f); // priorities stay within 1…1000
}

QTEST_MAIN(tst_ProgressHUDLayout)
#include "tst_progresshudlayout.moc"
