#include "RenderedImage.h"
#include "ThrowingAssertions.h"

#include "Fen_QorBackgroundView.h"
#include "Fen_QorBlurEffectView.h"

#include <QPointer>
#include <QStandardPaths>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

QWidget *colourBlock(QWidget *parent, const QColor &colour, const QRect &geometry)
{
    auto *block = new QWidget(parent);
    block->setGeometry(geometry);
    block->setAutoFillBackground(true);
    QPalette palette = block->palette();
    palette.setColor(QPalette::Window, colour);
    block->setPalette(palette);
    return block;
}

QWidget *firstChildWidget(const QWidget &view)
{
    return view.findChild<QWidget *>(QString(), Qt::FindDirectChildrenOnly);
}

int meanLuminance(const QImage &image)
{
    qint64 sum = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            sum += qGray(image.pixel(x, y));
    return static_cast<int>(sum / (qint64(image.width()) * image.height()));
}

} // namespace

class TestBackgroundView : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void freshView()
    {
        Fen_QorBackgroundView view;
        QCOMPARE(view.style(), Fen_QorProgressHUDBackgroundStyleBlur);
        QCOMPARE(view.blurEffectStyle(), 1);
        QCOMPARE(view.color(), QColor::fromRgbF(0.8f, 0.8f, 0.8f, 0.6f));
        QCOMPARE(view.backgroundColor(), view.color());
        QVERIFY(view.effectView());
        QCOMPARE(firstChildWidget(view), view.effectView());
        QCOMPARE(view.effectView()->size(), QSize(0, 0));
        // Qt delivers a hidden widget's resize when it is shown.
        view.show();
        view.resize(80, 40);
        QCOMPARE(view.effectView()->geometry(), QRect(0, 0, 80, 40));
        QCOMPARE(view.sizeHint(), QSize(0, 0));
        view.setStyle(Fen_QorProgressHUDBackgroundStyleSolidColor);
        QCOMPARE(view.sizeHint(), QSize(0, 0));
    }

    void styleChanges_data()
    {
        QTest::addColumn<QString>("setter");
        QTest::addColumn<qint64>("value");
        QTest::addColumn<bool>("blurred");
        QTest::addColumn<bool>("sameBlurView");

        QTest::newRow("same style keeps the blur view") << u"style"_s << qint64(1) << true << true;
        QTest::newRow("solid colour drops it") << u"style"_s << qint64(0) << false << false;
        QTest::newRow("any other value is solid") << u"style"_s << qint64(2) << false << false;
        QTest::newRow("same blur style keeps it") << u"blur"_s << qint64(1) << true << true;
        QTest::newRow("new blur style rebuilds it") << u"blur"_s << qint64(2) << true << false;
    }

    void styleChanges()
    {
        QFETCH(QString, setter);
        QFETCH(qint64, value);
        QFETCH(bool, blurred);
        QFETCH(bool, sameBlurView);

        Fen_QorBackgroundView view(QRect(0, 0, 50, 30));
        const QPointer<QWidget> before = view.effectView();
        if (setter == u"style")
            view.setStyle(static_cast<Fen_QorProgressHUDBackgroundStyle>(value));
        else
            view.setBlurEffectStyle(value);

        QCOMPARE(bool(before), sameBlurView);
        QCOMPARE(view.effectView() != nullptr, blurred);
        if (blurred)
            QCOMPARE(view.effectView() == before.data(), sameBlurView);
        QCOMPARE(view.backgroundColor(), view.color());
        if (auto *blur = qobject_cast<Fen_QorBlurEffectView *>(view.effectView()))
            QCOMPARE(blur->blurEffectStyle(), view.blurEffectStyle());
    }

    void blurAgainGoesBehindEveryChild()
    {
        Fen_QorBackgroundView view(QRect(0, 0, 50, 30));
        view.setStyle(Fen_QorProgressHUDBackgroundStyleSolidColor);
        auto *label = new QWidget(&view);
        view.setStyle(Fen_QorProgressHUDBackgroundStyleBlur);
        QVERIFY(view.effectView());
        QCOMPARE(firstChildWidget(view), view.effectView());
        QCOMPARE(view.effectView()->geometry(), view.rect());
        QCOMPARE(label->parentWidget(), &view);
    }

    void colourChanges()
    {
        Fen_QorBackgroundView view;
        // The HUD clears the backdrop's own colour while color keeps its value.
        view.setBackgroundColor(Qt::transparent);
        view.setColor(QColor::fromRgbF(0.8f, 0.8f, 0.8f, 0.6f));
        QCOMPARE(view.backgroundColor(), QColor(Qt::transparent));
        view.setColor(Qt::red);
        QCOMPARE(view.color(), QColor(Qt::red));
        QCOMPARE(view.backgroundColor(), QColor(Qt::red));

        ThrowingAssertions assertions;
        QVERIFY_THROWS_EXCEPTION(AssertionFailure, view.setColor(QColor()));
        QCOMPARE(view.color(), QColor(Qt::red));
    }

    void blurShowsOnlyWhatLiesBelow()
    {
        // window: red | blue halves, then a container holding [white strip, view, yellow], then
        // a green block over everything. Only red, blue and the white strip lie below the view.
        QWidget window;
        window.resize(200, 100);
        colourBlock(&window, Qt::red, QRect(0, 0, 100, 100));
        colourBlock(&window, Qt::blue, QRect(100, 0, 100, 100));
        auto *container = new QWidget(&window);
        container->setGeometry(0, 0, 200, 100);
        colourBlock(container, Qt::white, QRect(40, 10, 120, 40));
        auto *view = new Fen_QorBackgroundView(QRect(40, 10, 120, 80), container);
        view->setColor(Qt::transparent);
        colourBlock(view, Qt::yellow, QRect(0, 0, 120, 80));
        colourBlock(container, Qt::yellow, QRect(40, 10, 120, 80));
        colourBlock(&window, Qt::green, QRect(0, 0, 200, 100));

        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto *blur = qobject_cast<Fen_QorBlurEffectView *>(view->effectView());
        QVERIFY(blur);
        QTRY_VERIFY(blur->snapshotCount() > 0);
        const QImage backdrop = blur->blurredBackdrop();
        QCOMPARE(backdrop.size(), QSize(30, 20));

        const QRgb top = backdrop.pixel(15, 2);
        const QRgb bottomLeft = backdrop.pixel(2, 17);
        const QRgb bottomRight = backdrop.pixel(27, 17);
        QVERIFY(qRed(top) > 200 && qGreen(top) > 200 && qBlue(top) > 200);
        QVERIFY(qRed(bottomLeft) > 200 && qBlue(bottomLeft) < 60);
        QVERIFY(qBlue(bottomRight) > 200 && qRed(bottomRight) < 60);
        for (int y = 0; y < backdrop.height(); ++y) {
            for (int x = 0; x < backdrop.width(); ++x) {
                const QRgb pixel = backdrop.pixel(x, y);
                QVERIFY2(!(qGreen(pixel) > 100 && qBlue(pixel) < 60),
                         "green or yellow from above the view leaked into the blur");
            }
        }
    }

    void blurFollowsMovesOncePerPass()
    {
        QWidget window;
        window.resize(200, 100);
        colourBlock(&window, Qt::red, QRect(0, 0, 100, 100));
        colourBlock(&window, Qt::blue, QRect(100, 0, 100, 100));
        auto *view = new Fen_QorBackgroundView(QRect(10, 10, 60, 60), &window);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto *blur = qobject_cast<Fen_QorBlurEffectView *>(view->effectView());
        QTRY_VERIFY(blur->snapshotCount() > 0);
        QCoreApplication::processEvents();
        const int before = blur->snapshotCount();
        QVERIFY(qRed(blur->blurredBackdrop().pixel(7, 7)) > 200);

        view->move(120, 10);
        view->resize(70, 70);
        window.resize(210, 100);
        QTRY_COMPARE(blur->snapshotCount(), before + 1);
        QCoreApplication::processEvents();
        QCOMPARE(blur->snapshotCount(), before + 1);
        QVERIFY(qBlue(blur->blurredBackdrop().pixel(7, 7)) > 200);

        view->hide();
        view->move(10, 10);
        QCoreApplication::processEvents();
        QCOMPARE(blur->snapshotCount(), before + 1);
    }

    void lightAndDarkBlursDiffer()
    {
        QWidget window;
        window.resize(240, 100);
        colourBlock(&window, QColor(90, 120, 160), QRect(0, 0, 240, 100));
        auto *light = new Fen_QorBackgroundView(QRect(10, 10, 100, 80), &window);
        auto *dark = new Fen_QorBackgroundView(QRect(130, 10, 100, 80), &window);
        dark->setBlurEffectStyle(Fen_QorBlurEffectStyleDark);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        for (Fen_QorBackgroundView *view : { light, dark }) {
            auto *blur = qobject_cast<Fen_QorBlurEffectView *>(view->effectView());
            QTRY_VERIFY(blur->snapshotCount() > 0);
        }
        QVERIFY(meanLuminance(renderedImage(*light)) > meanLuminance(renderedImage(*dark)) + 60);
    }
};

QTEST_MAIN(TestBackgroundView)
#include "tst_backgroundview.moc"
