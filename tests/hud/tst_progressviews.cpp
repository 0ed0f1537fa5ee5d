#include "PaintCounter.h"
#include "RenderedImage.h"
#include "ThrowingAssertions.h"

#include "Fen_QorBarProgressView.h"
#include "Fen_QorPathArcs.h"
#include "Fen_QorRoundProgressView.h"

#include <QPainterPath>
#include <QStandardPaths>
#include <QTest>
#include <QtMath>

#include <limits>
#include <memory>

using namespace Qt::StringLiterals;

// The drawings are checked at four times the pixel density, so that a sampled pixel covers a
// quarter point and lies well inside the 2-point strokes.
constexpr qreal sampleRatio = 4.0;

namespace {

char shadeAtPoint(const QImage &image, QPointF point)
{
    return shadeAt(image, QPoint(qFloor(point.x() * sampleRatio), qFloor(point.y() * sampleRatio)));
}

// A point at \a radius from the centre of a view of \a size, at \a degrees clockwise from 3
// o'clock.
QPointF polar(QSize size, qreal degrees, qreal radius)
{
    const qreal angle = qDegreesToRadians(degrees);
    return QPointF(size.width() / 2.0 + radius * std::cos(angle),
                   size.height() / 2.0 + radius * std::sin(angle));
}

std::unique_ptr<QWidget> makeView(const QString &kind)
{
    if (kind == u"round")
        return std::make_unique<Fen_QorRoundProgressView>();
    return std::make_unique<Fen_QorBarProgressView>();
}

// Calls the colour setter itself (not through the meta-object), so the assertion's exception
// travels through our code only.
void setColourDirectly(QWidget *view, const QByteArray &property, const QColor &colour)
{
    if (auto *round = qobject_cast<Fen_QorRoundProgressView *>(view)) {
        if (property == "progressTintColor")
            round->setProgressTintColor(colour);
        else
            round->setBackgroundTintColor(colour);
    } else if (auto *bar = qobject_cast<Fen_QorBarProgressView *>(view)) {
        if (property == "progressColor")
            bar->setProgressColor(colour);
        else
            bar->setProgressRemainingColor(colour);
    }
}

QPointF onCircleOfTen(qreal angle)
{
    return QPointF(10.0 * std::cos(angle), 10.0 * std::sin(angle));
}

} // namespace

class TestProgressViews : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void freshViews()
    {
        Fen_QorRoundProgressView round;
        QCOMPARE(round.size(), QSize(37, 37));
        QCOMPARE(round.sizeHint(), QSize(37, 37));
        round.resize(80, 20);
        QCOMPARE(round.sizeHint(), QSize(37, 37));
        QCOMPARE(round.progress(), 0.0f);
        QVERIFY(!round.isAnnular());
        QCOMPARE(round.progressTintColor(), QColor::fromRgbF(1, 1, 1, 1));
        QCOMPARE(round.backgroundTintColor(), QColor::fromRgbF(1, 1, 1, 0.1f));
        QVERIFY(!round.autoFillBackground());

        Fen_QorBarProgressView bar;
        QCOMPARE(bar.size(), QSize(120, 20));
        QCOMPARE(bar.sizeHint(), QSize(120, 10));
        QCOMPARE(bar.progress(), 0.0f);
        QCOMPARE(bar.lineColor(), QColor(Qt::white));
        QCOMPARE(bar.progressColor(), QColor(Qt::white));
        QCOMPARE(bar.progressRemainingColor().alpha(), 0);
        QVERIFY(!bar.autoFillBackground());
    }

    void roundDrawing_data()
    {
        QTest::addColumn<bool>("annular");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<float>("progress");
        QTest::addColumn<QPointF>("point");
        QTest::addColumn<char>("shade");

        const QSize square(37, 37);
        // Not annular: a 2-point outline at radius 17.5 and a 4-point band from 14.5 to 18.5.
        QTest::newRow("pie 0: outline at top")
            << false << square << 0.0f << polar(square, -90, 17.5) << 'R';
        QTest::newRow("pie 0: outline at left")
            << false << square << 0.0f << polar(square, 180, 17.5) << 'R';
        QTest::newRow("pie 0: no band") << false << square << 0.0f << polar(square, 0, 15.5) << 'E';
        QTest::newRow("pie 0: centre empty")
            << false << square << 0.0f << polar(square, 0, 0) << 'E';
        QTest::newRow("pie 0.25: band before 3 o'clock")
            << false << square << 0.25f << polar(square, -10, 15.5) << 'R';
        QTest::newRow("pie 0.25: band ends at 3 o'clock")
            << false << square << 0.25f << polar(square, 10, 15.5) << 'E';
        QTest::newRow("pie 0.25: band inner edge 14.5")
            << false << square << 0.25f << polar(square, -45, 14.9) << 'R';
        QTest::newRow("pie 0.25: inside the band")
            << false << square << 0.25f << polar(square, -45, 14.0) << 'E';
        QTest::newRow("pie 0.5: band before bottom")
            << false << square << 0.5f << polar(square, 80, 15.5) << 'R';
        QTest::newRow("pie 0.5: band ends at bottom")
            << false << square << 0.5f << polar(square, 100, 15.5) << 'E';
        QTest::newRow("pie 1: band lower left")
            << false << square << 1.0f << polar(square, 135, 15.5) << 'R';
        QTest::newRow("pie 1: band upper left")
            << false << square << 1.0f << polar(square, -100, 15.5) << 'R';
        QTest::newRow("pie -0.25: no band at all")
            << false << square << -0.25f << polar(square, 135, 15.5) << 'E';
        QTest::newRow("pie NaN: no band")
            << false << square << std::numeric_limits<float>::quiet_NaN()
            << polar(square, 180, 15.5) << 'E';
        // Annular: the background ring and the progress arc both at radius 17.5, 2 points wide.
        QTest::newRow("ring 0: background right")
            << true << square << 0.0f << polar(square, 0, 17.5) << 'B';
        QTest::newRow("ring 0: background bottom")
            << true << square << 0.0f << polar(square, 90, 17.5) << 'B';
        QTest::newRow("ring 0: background left")
            << true << square << 0.0f << polar(square, 180, 17.5) << 'B';
        QTest::newRow("ring 0: inside empty")
            << true << square << 0.0f << polar(square, 0, 15.5) << 'E';
        QTest::newRow("ring 0.25: arc before 3 o'clock")
            << true << square << 0.25f << polar(square, -10, 17.5) << 'R';
        QTest::newRow("ring 0.25: arc ends at 3 o'clock")
            << true << square << 0.25f << polar(square, 20, 17.5) << 'B';
        QTest::newRow("ring 0.25: left is background")
            << true << square << 0.25f << polar(square, 180, 17.5) << 'B';
        QTest::newRow("ring 0.5: arc before bottom")
            << true << square << 0.5f << polar(square, 80, 17.5) << 'R';
        QTest::newRow("ring 0.5: arc ends at bottom")
            << true << square << 0.5f << polar(square, 110, 17.5) << 'B';
        QTest::newRow("ring 1: all round, left")
            << true << square << 1.0f << polar(square, 180, 17.5) << 'R';
        QTest::newRow("ring -0.25: background only")
            << true << square << -0.25f << polar(square, 135, 17.5) << 'B';
        QTest::newRow("ring 1: all round, before top")
            << true << square << 1.0f << polar(square, -100, 17.5) << 'R';
        // A wide view: radii come from the width, the centre stays the view's.
        const QSize wide(60, 37);
        QTest::newRow("wide ring: right at radius 29")
            << true << wide << 1.0f << polar(wide, 0, 29) << 'R';
        QTest::newRow("wide ring: left at radius 29")
            << true << wide << 1.0f << polar(wide, 180, 29) << 'R';
        QTest::newRow("wide ring: off the view's height")
            << true << wide << 1.0f << QPointF(30, 1.5) << 'E';
        QTest::newRow("wide pie: ellipse top") << false << wide << 0.0f << QPointF(30, 1) << 'R';
        QTest::newRow("wide pie: below ellipse top")
            << false << wide << 0.0f << QPointF(30, 3.5) << 'E';
        QTest::newRow("wide pie: ellipse left") << false << wide << 0.0f << QPointF(1, 18.5) << 'R';
        QTest::newRow("wide pie: ellipse right")
            << false << wide << 0.0f << QPointF(59, 18.5) << 'R';
        QTest::newRow("wide pie: no circle of 17.5")
            << false << wide << 0.0f << QPointF(12.5, 18.5) << 'E';
    }

    void roundDrawing()
    {
        QFETCH(bool, annular);
        QFETCH(QSize, size);
        QFETCH(float, progress);
        QFETCH(QPointF, point);
        QFETCH(char, shade);

        Fen_QorRoundProgressView view(QRect(QPoint(), size));
        view.setProgressTintColor(Qt::red);
        view.setBackgroundTintColor(Qt::blue);
        view.setAnnular(annular);
        view.setProgress(progress);
        const QImage image = renderedImage(view, sampleRatio);
        QCOMPARE(shadeAtPoint(image, point), shade);
    }

    void roundBandReplacesOutlineButBlendsWithParent()
    {
        // A translucent tint: the band covers the outline (one layer of colour, not two), and
        // the view as a whole still blends over whatever its parent painted.
        QWidget parent;
        parent.resize(37, 37);
        parent.setAutoFillBackground(true);
        QPalette palette = parent.palette();
        palette.setColor(QPalette::Window, Qt::green);
        parent.setPalette(palette);
        auto *view = new Fen_QorRoundProgressView(&parent);
        view->setProgressTintColor(QColor(255, 0, 0, 128));
        view->setProgress(1.0f);

        const QImage image = renderedImage(parent, sampleRatio);
        const QSize size(37, 37);
        auto pixelAt = [&](QPointF p) {
            return image.pixel(QPoint(qFloor(p.x() * sampleRatio), qFloor(p.y() * sampleRatio)));
        };
        const QRgb bandOnly = pixelAt(polar(size, 45, 15.5));
        const QRgb bandOverOutline = pixelAt(polar(size, 45, 17.5));
        QVERIFY2(qGreen(bandOnly) > 100, "the parent's green must show through the band");
        QVERIFY(qRed(bandOnly) > 100);
        QVERIFY(qAbs(qRed(bandOnly) - qRed(bandOverOutline)) <= 4);
        QVERIFY(qAbs(qGreen(bandOnly) - qGreen(bandOverOutline)) <= 4);
    }

    void barDrawing_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<float>("progress");
        QTest::addColumn<QPointF>("point");
        QTest::addColumn<char>("shade");

        const QSize natural(120, 10);
        QTest::newRow("0: track is clear") << natural << 0.0f << QPointF(60, 5) << 'E';
        QTest::newRow("0: outline top") << natural << 0.0f << QPointF(60, 2) << 'B';
        QTest::newRow("0: outline left end") << natural << 0.0f << QPointF(2, 5) << 'B';
        QTest::newRow("0.5: band") << natural << 0.5f << QPointF(30, 5) << 'R';
        QTest::newRow("0.5: band up to 60") << natural << 0.5f << QPointF(59.5, 5) << 'R';
        QTest::newRow("0.5: nothing past 60") << natural << 0.5f << QPointF(60.5, 5) << 'E';
        QTest::newRow("0.5: band from y 4") << natural << 0.5f << QPointF(30, 4.25) << 'R';
        QTest::newRow("0.5: gap above the band") << natural << 0.5f << QPointF(30, 3.75) << 'E';
        QTest::newRow("1: full to 116") << natural << 1.0f << QPointF(115.5, 5) << 'R';
        QTest::newRow("1: nothing past 116") << natural << 1.0f << QPointF(116.5, 5) << 'E';

        // 200 x 20: outline radius 8, fill radius 6, right cap centred at x 190.
        const QSize large(200, 20);
        QTest::newRow("0.01: whole left cap") << large << 0.01f << QPointF(6, 10) << 'R';
        QTest::newRow("0.01: left cap top") << large << 0.01f << QPointF(8, 6) << 'R';
        QTest::newRow("0.01: nothing past the cap") << large << 0.01f << QPointF(11, 10) << 'E';
        QTest::newRow("0.5: band to 100") << large << 0.5f << QPointF(99.5, 10) << 'R';
        QTest::newRow("0.5: nothing past 100") << large << 0.5f << QPointF(100.5, 10) << 'E';
        QTest::newRow("0.5: band top") << large << 0.5f << QPointF(50, 4.5) << 'R';
        QTest::newRow("0.5: band bottom") << large << 0.5f << QPointF(50, 15.5) << 'R';
        QTest::newRow("0.97: into the right cap") << large << 0.97f << QPointF(192, 10) << 'R';
        QTest::newRow("0.97: cap follows the curve")
            << large << 0.97f << QPointF(192.5, 5.5) << 'R';
        QTest::newRow("0.97: nothing past 194") << large << 0.97f << QPointF(194.5, 10) << 'E';
        QTest::newRow("1: whole right cap") << large << 1.0f << QPointF(195.5, 10) << 'R';
        QTest::newRow("1: cap top") << large << 1.0f << QPointF(190, 4.5) << 'R';
        QTest::newRow("1: gap before the outline") << large << 1.0f << QPointF(196.5, 10) << 'E';
        QTest::newRow("1: right outline") << large << 1.0f << QPointF(198, 10) << 'B';
        QTest::newRow("1.5: drawn as full") << large << 1.5f << QPointF(195.5, 10) << 'R';
        QTest::newRow("0: no fill") << large << 0.0f << QPointF(10, 10) << 'E';
        QTest::newRow("-0.5: no fill") << large << -0.5f << QPointF(10, 10) << 'E';
        QTest::newRow("low bar: outline only") << QSize(120, 6) << 0.5f << QPointF(30, 3) << 'B';
    }

    void barDrawing()
    {
        QFETCH(QSize, size);
        QFETCH(float, progress);
        QFETCH(QPointF, point);
        QFETCH(char, shade);

        Fen_QorBarProgressView view(QRect(QPoint(), size));
        view.setLineColor(Qt::blue);
        view.setProgressColor(Qt::red);
        view.setProgress(progress);
        const QImage image = renderedImage(view, sampleRatio);
        QCOMPARE(shadeAtPoint(image, point), shade);
    }

    void barLeftCapIsWholeForAnyAmountBelowIt()
    {
        Fen_QorBarProgressView view(QRect(0, 0, 200, 20));
        view.setProgress(0.01f);
        const QImage small = renderedImage(view, sampleRatio);
        view.setProgress(0.04f);
        QCOMPARE(renderedImage(view, sampleRatio), small);
        view.setProgress(0.0f);
        QVERIFY(renderedImage(view, sampleRatio) != small);
    }

    void barWithoutLineColourDrawsNoOutline()
    {
        Fen_QorBarProgressView view;
        view.setLineColor(QColor());
        view.setProgress(0.5f);
        const QImage image = renderedImage(view, sampleRatio);
        QCOMPARE(shadeAtPoint(image, QPointF(90, 2)), 'E');
        view.setProgressColor(Qt::red);
        QCOMPARE(shadeAtPoint(renderedImage(view, sampleRatio), QPointF(30, 10)), 'R');
    }

    void barTrackColour()
    {
        Fen_QorBarProgressView view(QRect(0, 0, 200, 20));
        view.setLineColor(Qt::blue);
        view.setProgressColor(Qt::red);
        view.setProgressRemainingColor(Qt::green);
        view.setProgress(0.5f);
        const QImage image = renderedImage(view, sampleRatio);
        QCOMPARE(shadeAtPoint(image, QPointF(150, 10)), 'G');
        QCOMPARE(shadeAtPoint(image, QPointF(100, 3.5)), 'G');
        QCOMPARE(shadeAtPoint(image, QPointF(50, 10)), 'R');
        QCOMPARE(shadeAtPoint(image, QPointF(0.5, 10)), 'E');
    }

    void repaintsOnlyOnChange_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QByteArray>("property");
        QTest::addColumn<QVariant>("initial");
        QTest::addColumn<QVariant>("equal");
        QTest::addColumn<QVariant>("changed");
        QTest::addColumn<int>("paintsForChange");

        const QVariant red = QColor(Qt::red), sameRed = QColor(255, 0, 0), blue = QColor(Qt::blue);
        QTest::newRow("round progress") << u"round"_s << QByteArray("progress") << QVariant(0.3f)
                                        << QVariant(0.3f) << QVariant(0.6f) << 1;
        QTest::newRow("round progress tint")
            << u"round"_s << QByteArray("progressTintColor") << red << sameRed << blue << 1;
        QTest::newRow("round background tint")
            << u"round"_s << QByteArray("backgroundTintColor") << red << sameRed << blue << 1;
        QTest::newRow("round annular waits")
            << u"round"_s << QByteArray("annular") << QVariant(false) << QVariant(false)
            << QVariant(true) << 0;
        QTest::newRow("bar progress") << u"bar"_s << QByteArray("progress") << QVariant(0.3f)
                                      << QVariant(0.3f) << QVariant(0.6f) << 1;
        QTest::newRow("bar progress colour")
            << u"bar"_s << QByteArray("progressColor") << red << sameRed << blue << 1;
        QTest::newRow("bar remaining colour")
            << u"bar"_s << QByteArray("progressRemainingColor") << red << sameRed << blue << 1;
        QTest::newRow("bar line colour waits")
            << u"bar"_s << QByteArray("lineColor") << red << sameRed << blue << 0;
    }

    void repaintsOnlyOnChange()
    {
        QFETCH(QString, kind);
        QFETCH(QByteArray, property);
        QFETCH(QVariant, initial);
        QFETCH(QVariant, equal);
        QFETCH(QVariant, changed);
        QFETCH(int, paintsForChange);

        const std::unique_ptr<QWidget> view = makeView(kind);
        QVERIFY(view->setProperty(property.constData(), initial));
        PaintCounter paints(view.get());
        view->show();
        QVERIFY(QTest::qWaitForWindowExposed(view.get()));
        QTRY_VERIFY(paints.count > 0);
        QCoreApplication::processEvents();

        paints.count = 0;
        QVERIFY(view->setProperty(property.constData(), equal));
        QCoreApplication::processEvents();
        QCOMPARE(paints.count, 0);

        QVERIFY(view->setProperty(property.constData(), changed));
        QCOMPARE(view->property(property.constData()), changed);
        QCoreApplication::processEvents();
        QCOMPARE(paints.count, paintsForChange);

        // A real progress change always repaints, and shows what was stored without a repaint.
        paints.count = 0;
        QVERIFY(view->setProperty("progress", 0.9f));
        QCoreApplication::processEvents();
        QCOMPARE(paints.count, 1);
    }

    void nilColoursAreRejected_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QByteArray>("property");
        QTest::newRow("round progress tint") << u"round"_s << QByteArray("progressTintColor");
        QTest::newRow("round background tint") << u"round"_s << QByteArray("backgroundTintColor");
        QTest::newRow("bar progress colour") << u"bar"_s << QByteArray("progressColor");
        QTest::newRow("bar remaining colour") << u"bar"_s << QByteArray("progressRemainingColor");
    }

    void nilColoursAreRejected()
    {
        QFETCH(QString, kind);
        QFETCH(QByteArray, property);
        ThrowingAssertions assertions;
        const std::unique_ptr<QWidget> view = makeView(kind);
        const QVariant before = view->property(property.constData());
        QVERIFY_THROWS_EXCEPTION(AssertionFailure,
                                 setColourDirectly(view.get(), property, QColor()));
        try {
            setColourDirectly(view.get(), property, QColor());
        } catch (const AssertionFailure &failure) {
            QCOMPARE(QByteArray(failure.what()), QByteArray("The color should not be nil."));
        }
        QCOMPARE(view->property(property.constData()), before);
    }

    void arcSweeps_data()
    {
        QTest::addColumn<qreal>("start");
        QTest::addColumn<qreal>("end");
        QTest::addColumn<bool>("decreasing");
        QTest::addColumn<qreal>("sweep");
        QTest::addColumn<QPointF>("halfway");

        // Radius 10 around the origin; angles grow clockwise on screen (y down).
        QTest::newRow("quarter, growing")
            << 0.0 << M_PI_2 << false << M_PI_2 << QPointF(7.0711, 7.0711);
        QTest::newRow("quarter, falling")
            << 0.0 << -M_PI_2 << true << M_PI_2 << QPointF(7.0711, -7.0711);
        QTest::newRow("end behind start wraps")
            << 0.0 << -M_PI_2 << false << 3 * M_PI_2 << QPointF(-7.0711, 7.0711);
        QTest::newRow("over a full turn is a turn")
            << -M_PI_2 << -M_PI_2 + 7.0 << false << 2 * M_PI << QPointF(0, 10);
        QTest::newRow("over the top from pi")
            << M_PI << -1.0 << false << M_PI - 1.0 << onCircleOfTen(M_PI + (M_PI - 1.0) / 2.0);
        QTest::newRow("under the bottom from -pi")
            << -M_PI << 1.0 << true << M_PI - 1.0 << onCircleOfTen(-M_PI - (M_PI - 1.0) / 2.0);
    }

    void arcSweeps()
    {
        QFETCH(qreal, start);
        QFETCH(qreal, end);
        QFETCH(bool, decreasing);
        QFETCH(qreal, sweep);
        QFETCH(QPointF, halfway);

        QPainterPath path;
        Fen_QorPathArcs::addArc(path, QPointF(0, 0), 10.0, start, end, decreasing);
        // Bezier arcs measure a little long; a wrong sweep is off by far more.
        QVERIFY(qAbs(path.length() - 10.0 * sweep) < 0.005 * 10.0 * sweep);
        const QPointF middle = path.pointAtPercent(0.5);
        QVERIFY2(QLineF(middle, halfway).length() < 0.15,
                 qPrintable(QStringLiteral("halfway at %1,%2").arg(middle.x()).arg(middle.y())));
    }

    void tangentArcs_data()
    {
        QTest::addColumn<QPointF>("current");
        QTest::addColumn<QPointF>("corner");
        QTest::addColumn<QPointF>("towards");
        QTest::addColumn<qreal>("radius");
        QTest::addColumn<QPointF>("end");
        QTest::addColumn<qreal>("length");

        QTest::newRow("right angle") << QPointF(0, 20) << QPointF(0, 0) << QPointF(20, 0) << 5.0
                                     << QPointF(5, 0) << 15.0 + M_PI * 5.0 / 2.0;
        QTest::newRow("towards closer than the tangent point")
            << QPointF(0, 20) << QPointF(0, 0) << QPointF(2, 0) << 5.0 << QPointF(5, 0)
            << 15.0 + M_PI * 5.0 / 2.0;
        QTest::newRow("collinear is a line")
            << QPointF(0, 20) << QPointF(0, 10) << QPointF(0, 0) << 5.0 << QPointF(0, 10) << 10.0;
        QTest::newRow("no radius is a line")
            << QPointF(0, 20) << QPointF(0, 0) << QPointF(20, 0) << 0.0 << QPointF(0, 0) << 20.0;
    }

    void tangentArcs()
    {
        QFETCH(QPointF, current);
        QFETCH(QPointF, corner);
        QFETCH(QPointF, towards);
        QFETCH(qreal, radius);
        QFETCH(QPointF, end);
        QFETCH(qreal, length);

        QPainterPath path(current);
        Fen_QorPathArcs::addArcToPoint(path, corner, towards, radius);
        QVERIFY(QLineF(path.currentPosition(), end).length() < 1e-6);
        QVERIFY(qAbs(path.length() - length) < 0.05);
    }
};

QTEST_MAIN(TestProgressViews)
#include "tst_progressviews.moc"
