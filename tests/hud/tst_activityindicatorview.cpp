#include "PaintCounter.h"
#include "RenderedImage.h"

#include "Fen_QorActivityIndicatorView.h"

#include <QStandardPaths>
#include <QTest>

using Spinner = Fen_QorActivityIndicatorView;

class TestActivityIndicatorView : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void ticksOnlyWhileAnimatingAndVisible()
    {
        QWidget window;
        window.resize(80, 80);
        auto *spinner = new Spinner(&window);
        QCOMPARE(spinner->size(), QSize(37, 37));
        QCOMPARE(spinner->sizeHint(), QSize(37, 37));
        spinner->startAnimating();
        QVERIFY(spinner->isAnimating());
        QVERIFY(!spinner->isTicking());

        PaintCounter paints(spinner);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY(spinner->isTicking());
        QTRY_VERIFY(paints.count > 0);
        paints.count = 0;
        const int firstStep = spinner->step();
        QTRY_VERIFY((spinner->step() - firstStep + Spinner::spokeCount) % Spinner::spokeCount >= 3);
        const int steps = (spinner->step() - firstStep + Spinner::spokeCount) % Spinner::spokeCount;
        QVERIFY2(paints.count <= steps + 1, "more than one repaint per step");

        window.hide();
        QVERIFY(!spinner->isTicking());
        window.show();
        QVERIFY(spinner->isTicking());
        spinner->hide();
        QVERIFY(!spinner->isTicking());
        spinner->show();
        QVERIFY(spinner->isTicking());
        spinner->stopAnimating();
        QVERIFY(!spinner->isTicking());
    }

    void drawsOnlyWhileAnimating()
    {
        Spinner spinner;
        spinner.setColor(Qt::red);
        auto redPixels = [&spinner] {
            const QImage image = renderedImage(spinner);
            int count = 0;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    count += shadeAt(image, QPoint(x, y)) == 'R';
            return count;
        };
        QCOMPARE(redPixels(), 0);
        spinner.startAnimating();
        QVERIFY(redPixels() > 10);
        spinner.stopAnimating();
        QCOMPARE(redPixels(), 0);
    }
};

QTEST_MAIN(TestActivityIndicatorView)
#include "tst_activityindicatorview.moc"
