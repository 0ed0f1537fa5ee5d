#include "RenderedImage.h"

#include "Fen_QorProgressHUDRoundedButton.h"

#include <QHBoxLayout>
#include <QStandardPaths>
#include <QTest>

using Button = Fen_QorProgressHUDRoundedButton;

class TestRoundedButton : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void sizeOnlyWithAnAction()
    {
        QWidget window;
        auto *layout = new QHBoxLayout(&window);
        layout->setContentsMargins(0, 0, 0, 0);
        auto *button = new Button;
        button->setText(QStringLiteral("Cancel"));
        layout->addWidget(button);
        QPushButton plain(QStringLiteral("Cancel"));
        plain.setFlat(true);
        const QSize natural = plain.sizeHint();

        QVERIFY(!button->hasAction());
        QCOMPARE(button->sizeHint(), QSize(0, 0));
        QCOMPARE(window.sizeHint().width(), 0);

        auto receiver = std::make_unique<QObject>();
        const auto connection
            = QObject::connect(button, &QAbstractButton::clicked, receiver.get(), [] {});
        QCOMPARE(button->sizeHint(), QSize(natural.width() + 20, natural.height()));
        // The layout hears of the new size through updateGeometry().
        QTRY_COMPARE(window.sizeHint().width(), natural.width() + 20);

        QObject::disconnect(connection);
        QCOMPARE(button->sizeHint(), QSize(0, 0));
        QTRY_COMPARE(window.sizeHint().width(), 0);

        QObject::connect(button, &QAbstractButton::clicked, receiver.get(), [] {});
        QTRY_COMPARE(window.sizeHint().width(), natural.width() + 20);
        receiver.reset();
        QCOMPARE(button->sizeHint(), QSize(0, 0));
        QTRY_COMPARE(window.sizeHint().width(), 0);

        QObject::connect(button, &QAbstractButton::clicked, &window, [] {});
        QTRY_COMPARE(window.sizeHint().width(), natural.width() + 20);
        QObject::disconnect(button, &QAbstractButton::clicked, nullptr, nullptr);
        QTRY_COMPARE(window.sizeHint().width(), 0);
    }

    void capsuleRadius_data()
    {
        QTest::addColumn<int>("height");
        QTest::addColumn<qreal>("radius");
        QTest::newRow("44") << 44 << 22.0;
        QTest::newRow("45 rounds up") << 45 << 23.0;
        QTest::newRow("31 rounds up") << 31 << 16.0;
        QTest::newRow("30") << 30 << 15.0;
    }

    void capsuleRadius()
    {
        QFETCH(int, height);
        QFETCH(qreal, radius);
        Button button;
        button.show();
        button.resize(100, height);
        QCOMPARE(button.cornerRadius(), radius);
        QCOMPARE(button.borderWidth(), 1.0);
    }

    void highlightFollowsTitleColour()
    {
        Button button;
        button.setHighlighted(true);
        button.setTitleColor(Qt::red, Button::StateNormal);
        QCOMPARE(button.borderColor(), QColor(Qt::red));
        QCOMPARE(button.backgroundColor(), QColor::fromRgbF(1, 0, 0, 0.1f));
        button.setHighlighted(false);
        QCOMPARE(button.backgroundColor().alpha(), 0);

        // The tint comes from the selected state's colour when there is one; the border from the
        // last colour set, whatever its state.
        button.setTitleColor(Qt::green, Button::StateSelected);
        button.setTitleColor(Qt::blue, Button::StateHighlighted);
        QCOMPARE(button.borderColor(), QColor(Qt::blue));
        button.setHighlighted(true);
        QCOMPARE(button.backgroundColor(), QColor::fromRgbF(0, 1, 0, 0.1f));
    }

    void pressHighlightsAndPaints()
    {
        Button button;
        button.setTitleColor(Qt::red, Button::StateNormal);
        button.show();
        button.resize(100, 30);
        QTest::mousePress(&button, Qt::LeftButton);
        QVERIFY(button.isHighlighted());
        QCOMPARE(button.backgroundColor(), QColor::fromRgbF(1, 0, 0, 0.1f));

        const QImage pressed = renderedImage(button);
        QCOMPARE(shadeAt(pressed, QPoint(50, 0)), 'R');
        QVERIFY(qAbs(qAlpha(pressed.pixel(20, 15)) - 26) <= 3);
        QCOMPARE(shadeAt(pressed, QPoint(0, 0)), 'E'); // outside the rounded corner

        QTest::mouseRelease(&button, Qt::LeftButton);
        QVERIFY(!button.isHighlighted());
        QCOMPARE(qAlpha(renderedImage(button).pixel(20, 15)), 0);
    }
};

QTEST_MAIN(TestRoundedButton)
#include "tst_roundedbutton.moc"
