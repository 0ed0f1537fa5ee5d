#include "Fen_QorActivityIndicatorView.h"
#include "Fen_QorAlphaTransformEffect.h"
#include "Fen_QorBackgroundView.h"
#include "Fen_QorBarProgressView.h"
#include "Fen_QorMotionEffectGroup.h"
#include "Fen_QorProgressHUD.h"
#include "Fen_QorProgressHUDAppearance.h"
#include "Fen_QorProgressHUDPrivate.h"
#include "Fen_QorProgressHUDRoundedButton.h"
#include "Fen_QorProgressHUDViewTree.h"
#include "Fen_QorRoundProgressView.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QStandardPaths>
#include <QtTest>

namespace {

// A caller's indicator that takes a progress value like the kit's own progress views.
class ProgressCustomView : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(float progress READ progress WRITE setProgress)

public:
    float progress() const { return m_progress; }
    void setProgress(float progress) { m_progress = progress; }

private:
    float m_progress = -1.0f;
};

QWidget *indicatorOf(Fen_QorProgressHUD *hud)
{
    return Fen_QorProgressHUDPrivate::get(hud)->indicator();
}

QColor textColor(const QLabel *label)
{
    return label->palette().color(QPalette::WindowText);
}

QList<QWidget *> bezelItems(Fen_QorProgressHUD *hud)
{
    QList<QWidget *> items = hud->bezelView()->findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
    items.removeAll(hud->bezelView()->effectView());
    return items;
}

const QColor red = QColor(Qt::red);
const QColor green = QColor(Qt::green);

} // namespace

class TestHUDContent : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void cleanup() { Fen_QorProgressHUDAppearance::clear(); }

    void viewTree()
    {
        QWidget host;
        Fen_QorProgressHUD hud(&host);
        QCOMPARE(hud.findChildren<QWidget *>(Qt::FindDirectChildrenOnly),
                 QList<QWidget *>({ hud.backgroundView(), hud.bezelView() }));
        const QList<QWidget *> items = bezelItems(&hud);
        QCOMPARE(items.size(), 6);
        QCOMPARE(items.mid(0, 3),
                 QList<QWidget *>({ hud.label(), hud.detailsLabel(), hud.button() }));
        QVERIFY(items.at(3)->isHidden() && items.at(4)->isHidden()); // the two spacers
        QCOMPARE(items.at(5), indicatorOf(&hud)); // added last
        QVERIFY(qobject_cast<Fen_QorActivityIndicatorView *>(indicatorOf(&hud))->isAnimating());

        QCOMPARE(hud.backgroundView()->style(), Fen_QorProgressHUDBackgroundStyleSolidColor);
        QCOMPARE(hud.backgroundView()->backgroundColor().alpha(), 0);
        QCOMPARE(hud.bezelView()->style(), Fen_QorProgressHUDBackgroundStyleBlur);
        QCOMPARE(hud.bezelView()->cornerRadius(), 5.0);
        QCOMPARE(Fen_QorAlphaTransformEffect::of(hud.bezelView())->alpha(), 0.0);
        QCOMPARE(Fen_QorAlphaTransformEffect::of(hud.backgroundView())->alpha(), 0.0);

        // Fonts in device-independent pixels, like every other size of the kit.
        QVERIFY(hud.label()->font().bold());
        QCOMPARE(hud.label()->font().pixelSize(), 16);
        QVERIFY(!hud.label()->wordWrap());
        QVERIFY(hud.detailsLabel()->font().bold());
        QCOMPARE(hud.detailsLabel()->font().pixelSize(), 12);
        QVERIFY(hud.detailsLabel()->wordWrap());
        QVERIFY(hud.button()->font().bold());
        QCOMPARE(hud.button()->font().pixelSize(), 12);
        QCOMPARE(hud.label()->alignment(), Qt::AlignCenter);
    }

    void bezelWrapsItsContent()
    {
        QWidget host;
        host.resize(300, 200);
        host.show();
        QVERIFY(QTest::qWaitForWindowExposed(&host));
        auto *hud = Fen_QorProgressHUD::showHUDAddedTo(&host, false);
        // 37-point spinner plus the 20-point margin on each side, centred (111.5 rounds up).
        QTRY_COMPARE(hud->bezelView()->geometry(), QRect(112, 62, 77, 77));
        QCOMPARE(indicatorOf(hud)->geometry(), QRect(20, 20, 37, 37));
        hud->setOffset(QPointF(0, 30)); // a constraint rebuild at the next layout
        QVERIFY(hud->needsUpdateConstraints());
        QTRY_COMPARE(hud->bezelView()->geometry(), QRect(112, 92, 77, 77));
        QVERIFY(!hud->needsUpdateConstraints());
    }

    void indicatorAcrossModes_data()
    {
        QTest::addColumn<qint64>("first");
        QTest::addColumn<qint64>("second");
        QTest::addColumn<QByteArray>("className"); // empty: no indicator
        QTest::addColumn<bool>("sameView");
        QTest::addColumn<int>("annular"); // -1: not a round view
        QTest::newRow("spinner to text") << qint64(0) << qint64(5) << QByteArray() << false << -1;
        QTest::newRow("text to spinner")
            << qint64(5) << qint64(0) << QByteArray("Fen_QorActivityIndicatorView") << false << -1;
        QTest::newRow("round to annular")
            << qint64(1) << qint64(3) << QByteArray("Fen_QorRoundProgressView") << true << 1;
        QTest::newRow("annular to round")
            << qint64(3) << qint64(1) << QByteArray("Fen_QorRoundProgressView") << true << 0;
        QTest::newRow("bar to spinner")
            << qint64(2) << qint64(0) << QByteArray("Fen_QorActivityIndicatorView") << false << -1;
        QTest::newRow("spinner to bar")
            << qint64(0) << qint64(2) << QByteArray("Fen_QorBarProgressView") << false << -1;
        QTest::newRow("unknown mode keeps the indicator")
            << qint64(3) << qint64(42) << QByteArray("Fen_QorRoundProgressView") << true << 1;
        QTest::newRow("custom mode without a view")
            << qint64(0) << qint64(4) << QByteArray() << false << -1;
    }

    void indicatorAcrossModes()
    {
        QFETCH(qint64, first);
        QFETCH(qint64, second);
        QFETCH(QByteArray, className);
        QFETCH(bool, sameView);
        QFETCH(int, annular);
        QWidget host;
        Fen_QorProgressHUD hud(&host);
        hud.setMode(Fen_QorProgressHUDMode(first));
        const QPointer<QWidget> before = indicatorOf(&hud);
        hud.setMode(Fen_QorProgressHUDMode(second));
        QWidget *after = indicatorOf(&hud);
        if (className.isEmpty()) {
            QCOMPARE(after, nullptr);
        } else {
            QVERIFY(after);
            QCOMPARE(QByteArray(after->metaObject()->className()), className);
            QCOMPARE(after->parentWidget(), hud.bezelView());
            QCOMPARE(bezelItems(&hud).constLast(), after);
        }
        QCOMPARE(after && after == before, sameView);
        if (annular >= 0)
            QCOMPARE(qobject_cast<Fen_QorRoundProgressView *>(after)->isAnnular(), annular == 1);
        if (before && !sameView)
            QTRY_VERIFY(before.isNull()); // the HUD's own indicators are dropped
    }

    // The indicator factory alone: what each mode makes of the indicator in place.
    void makeIndicator_data()
    {
        QTest::addColumn<qint64>("mode");
        QTest::addColumn<QByteArray>("current"); // class of the view in place, empty for none
        QTest::addColumn<QByteArray>("result"); // "current", "custom", "none" or a new view's class
        QTest::newRow("spinner kept")
            << qint64(0) << QByteArray("Fen_QorActivityIndicatorView") << QByteArray("current");
        QTest::newRow("spinner made") << qint64(0) << QByteArray("Fen_QorBarProgressView")
                                      << QByteArray("Fen_QorActivityIndicatorView");
        QTest::newRow("round kept")
            << qint64(1) << QByteArray("Fen_QorRoundProgressView") << QByteArray("current");
        QTest::newRow("round made")
            << qint64(3) << QByteArray() << QByteArray("Fen_QorRoundProgressView");
        QTest::newRow("bar always new") << qint64(2) << QByteArray("Fen_QorBarProgressView")
                                        << QByteArray("Fen_QorBarProgressView");
        QTest::newRow("custom") << qint64(4) << QByteArray("Fen_QorActivityIndicatorView")
                                << QByteArray("custom");
        QTest::newRow("text") << qint64(5) << QByteArray("Fen_QorRoundProgressView")
                              << QByteArray("none");
        QTest::newRow("unknown mode")
            << qint64(9) << QByteArray("Fen_QorBarProgressView") << QByteArray("current");
    }

    void makeIndicator()
    {
        QFETCH(qint64, mode);
        QFETCH(QByteArray, current);
        QFETCH(QByteArray, result);
        std::unique_ptr<QWidget> inPlace;
        if (current == "Fen_QorActivityIndicatorView")
            inPlace = std::make_unique<Fen_QorActivityIndicatorView>();
        else if (current == "Fen_QorRoundProgressView")
            inPlace = std::make_unique<Fen_QorRoundProgressView>();
        else if (current == "Fen_QorBarProgressView")
            inPlace = std::make_unique<Fen_QorBarProgressView>();
        QWidget custom;
        std::unique_ptr<QWidget> made(Fen_QorProgressHUDViewTree::makeIndicator(
            Fen_QorProgressHUDMode(mode), inPlace.get(), &custom));
        if (result == "current") {
            QCOMPARE(made.release(), inPlace.get());
        } else if (result == "custom") {
            QCOMPARE(made.release(), &custom);
        } else if (result == "none") {
            QCOMPARE(made.get(), nullptr);
        } else {
            QVERIFY(made && made.get() != inPlace.get());
            QCOMPARE(QByteArray(made->metaObject()->className()), result);
        }
        if (auto *round
            = qobject_cast<Fen_QorRoundProgressView *>(inPlace ? inPlace.get() : made.get()))
            QCOMPARE(round->isAnnular(), mode == Fen_QorProgressHUDModeAnnularProgress);
    }

    // The custom view stays the caller's: it goes back unparented, never deleted, when it is
    // replaced, when the mode moves on and when the HUD goes, so one view serves HUD after HUD.
    void customViewGoesBackToItsOwner()
    {
        QWidget host;
        QLabel first(QStringLiteral("1"));
        QLabel second(QStringLiteral("2"));
        {
            Fen_QorProgressHUD hud(&host);
            hud.setCustomView(&first);
            QVERIFY(qobject_cast<Fen_QorActivityIndicatorView *>(indicatorOf(&hud))); // stored
            QCOMPARE(first.parentWidget(), nullptr);
            hud.setMode(Fen_QorProgressHUDModeCustomView);
            QCOMPARE(indicatorOf(&hud), &first);
            QCOMPARE(first.parentWidget(), hud.bezelView());
            QVERIFY(!first.isHidden());

            hud.setCustomView(&second); // swapped at once in custom mode
            QCOMPARE(indicatorOf(&hud), &second);
            QCOMPARE(first.parentWidget(), nullptr);
            QCOMPARE(bezelItems(&hud).count(&first), 0);

            hud.setMode(Fen_QorProgressHUDModeText); // the view stays set, out of the bezel
            QCOMPARE(hud.customView(), &second);
            QCOMPARE(second.parentWidget(), nullptr);
            hud.setMode(Fen_QorProgressHUDModeCustomView);
            QCOMPARE(indicatorOf(&hud), &second);
        }
        QCOMPARE(second.parentWidget(), nullptr); // the HUD went, the view stays

        // Reused by a HUD of the kit's, which is deleted once hidden.
        host.resize(200, 200);
        for (int round = 0; round < 2; ++round) {
            const QPointer<Fen_QorProgressHUD> hud
                = Fen_QorProgressHUD::showHUDAddedTo(&host, false);
            hud->setCustomView(&second);
            hud->setMode(Fen_QorProgressHUDModeCustomView);
            QCOMPARE(second.parentWidget(), hud->bezelView());
            hud->hideAnimated(false);
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            QVERIFY(hud.isNull());
            QCOMPARE(second.parentWidget(), nullptr);
        }
        QCOMPARE(second.text(), QStringLiteral("2"));
    }

    void progressForwarding_data()
    {
        QTest::addColumn<qint64>("mode");
        QTest::newRow("round") << qint64(1);
        QTest::newRow("bar") << qint64(2);
        QTest::newRow("custom view with a progress property") << qint64(4);
    }

    void progressForwarding()
    {
        QFETCH(qint64, mode);
        QWidget host;
        ProgressCustomView custom;
        Fen_QorProgressHUD hud(&host);
        hud.setCustomView(&custom);
        hud.setProgress(0.5f); // spinner: only stored
        QCOMPARE(hud.progress(), 0.5f);
        hud.setMode(Fen_QorProgressHUDMode(mode));
        QCOMPARE(indicatorOf(&hud)->property("progress").toFloat(), 0.5f); // handed to the new one
        hud.setProgress(0.75f);
        QCOMPARE(indicatorOf(&hud)->property("progress").toFloat(), 0.75f);
    }

    void progressLeavesOtherViewsAlone()
    {
        QWidget host;
        QWidget plain;
        Fen_QorProgressHUD hud(&host);
        hud.setCustomView(&plain);
        hud.setMode(Fen_QorProgressHUDModeCustomView);
        hud.setProgress(0.3f);
        QVERIFY(!plain.property("progress").isValid()); // no dynamic property made up
    }

    void contentColor_data()
    {
        QTest::addColumn<qint64>("mode");
        QTest::addColumn<QByteArray>("styledAttribute"); // set for the indicator class in HUDs
        QTest::addColumn<QVariantMap>("expected"); // indicator property → colour
        QTest::newRow("spinner") << qint64(0) << QByteArray()
                                 << QVariantMap { { QStringLiteral("color"), red } };
        QTest::newRow("styled spinner") << qint64(0) << QByteArray("color")
                                        << QVariantMap { { QStringLiteral("color"), green } };
        QTest::newRow("round") << qint64(1) << QByteArray()
                               << QVariantMap { { QStringLiteral("progressTintColor"), red },
                                                { QStringLiteral("backgroundTintColor"),
                                                  QColor::fromRgbF(1.0f, 0.0f, 0.0f, 0.1f) } };
        QTest::newRow("round, styled progress tint")
            << qint64(1) << QByteArray("progressTintColor")
            << QVariantMap { { QStringLiteral("progressTintColor"), green },
                             { QStringLiteral("backgroundTintColor"),
                               QColor::fromRgbF(1.0f, 0.0f, 0.0f, 0.1f) } };
        QTest::newRow("bar") << qint64(2) << QByteArray()
                             << QVariantMap { { QStringLiteral("progressColor"), red },
                                              { QStringLiteral("lineColor"), red },
                                              { QStringLiteral("progressRemainingColor"),
                                                QColor(Qt::transparent) } };
        QTest::newRow("bar, styled line") << qint64(2) << QByteArray("lineColor")
                                          << QVariantMap { { QStringLiteral("progressColor"), red },
                                                           { QStringLiteral("lineColor"), green } };
    }

    void contentColor()
    {
        QFETCH(qint64, mode);
        QFETCH(QByteArray, styledAttribute);
        QFETCH(QVariantMap, expected);
        const QMetaObject *indicatorClass = mode == 0
            ? &Fen_QorActivityIndicatorView::staticMetaObject
            : mode == 1 ? &Fen_QorRoundProgressView::staticMetaObject
                        : &Fen_QorBarProgressView::staticMetaObject;
        if (!styledAttribute.isEmpty())
            Fen_QorProgressHUDAppearance::setValue(*indicatorClass, styledAttribute.constData(),
                                                   green);
        QWidget host;
        Fen_QorProgressHUD hud(&host);
        hud.setMode(Fen_QorProgressHUDMode(mode));
        hud.setContentColor(red);
        QCOMPARE(textColor(hud.label()), red);
        QCOMPARE(textColor(hud.detailsLabel()), red);
        QCOMPARE(hud.button()->titleColor(Fen_QorProgressHUDRoundedButton::StateNormal), red);
        for (auto it = expected.cbegin(); it != expected.cend(); ++it)
            QCOMPARE(indicatorOf(&hud)->property(it.key().toLatin1().constData()).value<QColor>(),
                     it.value().value<QColor>());
    }

    void defaultSpinnerColour()
    {
        QWidget host;
        Fen_QorProgressHUD hud(&host);
        QCOMPARE(qobject_cast<Fen_QorActivityIndicatorView *>(indicatorOf(&hud))->color(),
                 QColor::fromRgbF(0.0f, 0.0f, 0.0f, 0.7f));
    }

    void customViewTakesTheTint()
    {
        QWidget host;
        QLabel view(QStringLiteral("✓"));
        Fen_QorProgressHUD hud(&host);
        hud.setCustomView(&view);
        hud.setMode(Fen_QorProgressHUDModeCustomView);
        hud.setContentColor(red);
        QCOMPARE(textColor(&view), red);
    }

    void equalOrMissingColourChangesNothing()
    {
        QWidget host;
        Fen_QorProgressHUD hud(&host);
        hud.setContentColor(red);
        QPalette blue = hud.label()->palette();
        blue.setColor(QPalette::WindowText, Qt::blue);
        hud.label()->setPalette(blue); // recoloured directly by the application
        hud.setContentColor(QColor(255, 0, 0)); // equal, distinct object
        QCOMPARE(textColor(hud.label()), QColor(Qt::blue));
        hud.setContentColor(QColor());
        QCOMPARE(textColor(hud.label()), QColor(Qt::blue));
        QCOMPARE(qobject_cast<Fen_QorActivityIndicatorView *>(indicatorOf(&hud))->color(), red);
    }

    void tiltGroup()
    {
        QWidget host;
        host.resize(200, 100);
        host.show();
        QVERIFY(QTest::qWaitForWindowExposed(&host));
        auto *hud = Fen_QorProgressHUD::showHUDAddedTo(&host, false);
        QWidget *bezel = hud->bezelView();
        QCOMPARE(Fen_QorMotionEffectGroup::motionEffectsOf(bezel).size(), 0);
        hud->setDefaultMotionEffectsEnabled(true);
        Fen_QorMotionEffectGroup *group = Fen_QorProgressHUDPrivate::get(hud)->bezelMotionEffects();
        QVERIFY(group);
        QCOMPARE(Fen_QorMotionEffectGroup::motionEffectsOf(bezel),
                 QList<Fen_QorMotionEffectGroup *>({ group }));
        const QList<Fen_QorInterpolatingMotionEffect> effects = group->motionEffects();
        QCOMPARE(effects.size(), 2);
        QCOMPARE(effects.at(0).keyPath(), QStringLiteral("center.x"));
        QCOMPARE(effects.at(1).keyPath(), QStringLiteral("center.y"));
        QCOMPARE(effects.at(1).minimumRelativeValue(), -10.0);
        QCOMPARE(effects.at(1).maximumRelativeValue(), 10.0);

        hud->showAnimated(false); // the show step keeps the installed group
        QCOMPARE(Fen_QorProgressHUDPrivate::get(hud)->bezelMotionEffects(), group);

        const QRect before = bezel->geometry();
        const QList<std::pair<QPointF, QPointF>> moves {
            { QPointF(200, 100), QPointF(10, 10) }, // bottom-right corner
            { QPointF(100, 50), QPointF(0, 0) }, // centre
            { QPointF(50, 0), QPointF(-5, -10) }, // halfway left, top edge
            { QPointF(-400, 500), QPointF(-10, 10) } // outside: clamped
        };
        for (const auto &[position, shift] : moves) {
            QMouseEvent move(QEvent::MouseMove, position, host.mapToGlobal(position), Qt::NoButton,
                             Qt::NoButton, Qt::NoModifier);
            QCoreApplication::sendEvent(host.windowHandle(), &move);
            QCOMPARE(Fen_QorAlphaTransformEffect::of(bezel)->translation(), shift);
        }
        QCOMPARE(bezel->geometry(), before); // the painted image moves, not the widget

        hud->setDefaultMotionEffectsEnabled(false);
        QCOMPARE(Fen_QorProgressHUDPrivate::get(hud)->bezelMotionEffects(), nullptr);
        QCOMPARE(Fen_QorMotionEffectGroup::motionEffectsOf(bezel).size(), 0);
        QCOMPARE(Fen_QorAlphaTransformEffect::of(bezel)->translation(), QPointF());
    }

    void paintTimeAlphaAndScale_data()
    {
        QTest::addColumn<qreal>("alpha");
        QTest::addColumn<qreal>("outerAlpha");
        QTest::addColumn<qreal>("scale");
        QTest::addColumn<QPoint>("probe"); // the square covers 25…75 in a 100 × 100 canvas
        QTest::addColumn<int>("expectedAlpha"); // of the probed pixel, ±3
        QTest::newRow("opaque") << 1.0 << 1.0 << 1.0 << QPoint(27, 27) << 255;
        QTest::newRow("half") << 0.5 << 1.0 << 1.0 << QPoint(27, 27) << 128;
        QTest::newRow("hidden by the outer alpha") << 1.0 << 0.0 << 1.0 << QPoint(50, 50) << 0;
        QTest::newRow("shrunk: the corner is empty") << 1.0 << 1.0 << 0.5 << QPoint(30, 30) << 0;
        QTest::newRow("shrunk: the centre stays") << 1.0 << 1.0 << 0.5 << QPoint(50, 50) << 255;
        QTest::newRow("grown: past the old edge") << 1.0 << 1.0 << 1.5 << QPoint(85, 50) << 255;
    }

    void paintTimeAlphaAndScale()
    {
        QFETCH(qreal, alpha);
        QFETCH(qreal, outerAlpha);
        QFETCH(qreal, scale);
        QFETCH(QPoint, probe);
        QFETCH(int, expectedAlpha);
        QWidget canvas;
        canvas.resize(100, 100);
        QWidget *square = new QWidget(&canvas);
        square->setGeometry(25, 25, 50, 50);
        square->setAutoFillBackground(true);
        QPalette palette = square->palette();
        palette.setColor(QPalette::Window, Qt::red);
        square->setPalette(palette);
        Fen_QorAlphaTransformEffect *effect = Fen_QorAlphaTransformEffect::of(square);
        effect->setAlpha(alpha);
        effect->setOuterAlpha(outerAlpha);
        effect->setScale(scale);
        QImage image(canvas.size(), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        canvas.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
        const int painted = qAlpha(image.pixel(probe));
        QVERIFY2(qAbs(painted - expectedAlpha) <= 3, qPrintable(QString::number(painted)));
    }
};

QTEST_MAIN(TestHUDContent)
#include "tst_hudcontent.moc"
