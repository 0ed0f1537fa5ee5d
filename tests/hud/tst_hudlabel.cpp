#include "Fen_QorBackgroundView.h"
#include "Fen_QorLabel.h"
#include "Fen_QorProgressHUD.h"

#include <QStandardPaths>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

constexpr double hudMargin = 20.0;

const QString playAddress = u"http://localhost:51067/aweme/v1/play/?video_id="
                            "v0200fg10000cl7q3ijc77u1a2b3c4d5e6f7g8h9&ratio=720p&line=0"_s;
const QString copiedAddress = u"保存成功\n"_s + playAddress;
const QString spacedSentence = u"The video could not be saved because the album refused the "
                               "file; check the permissions and the free space on the device."_s;
const QString chineseSentence = u"视频已经保存到相册，可以在相册中查看，也可以分享给朋友。"
                                "如果没有找到，请检查存储空间和相册权限。"_s;

QFont boldFont(int pixelSize)
{
    QFont font;
    font.setBold(true);
    font.setPixelSize(pixelSize);
    return font;
}

// A text-only HUD in a phone-sized host, laid out once.
struct TextHUD
{
    QWidget host;
    Fen_QorProgressHUD *hud;

    TextHUD(const QString &title, const QString &details, int detailsPixelSize)
        : hud(new Fen_QorProgressHUD(&host))
    {
        host.resize(390, 844);
        hud->setParent(&host);
        hud->setMode(Fen_QorProgressHUDModeText);
        hud->label()->setText(title);
        hud->detailsLabel()->setText(details);
        hud->detailsLabel()->setFont(boldFont(detailsPixelSize));
        hud->layoutSubviews();
    }
};

QString joinedText(const QList<Fen_QorLabel::Line> &lines, const QString &separator)
{
    QStringList texts;
    for (const Fen_QorLabel::Line &line : lines)
        texts.append(line.text);
    return texts.join(separator);
}

} // namespace

class TestHUDLabel : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void textStaysInsideTheBezel_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("details");
        QTest::addColumn<int>("detailsPixelSize");
        QTest::addColumn<int>("minimumDetailLines");

        QTest::newRow("copied play address") << QString() << copiedAddress << 16 << 4;
        QTest::newRow("play address in small print") << QString() << playAddress << 12 << 2;
        QTest::newRow("sentence with spaces") << QString() << spacedSentence << 16 << 3;
        QTest::newRow("Chinese sentence") << QString() << chineseSentence << 16 << 3;
        QTest::newRow("title above the address") << u"保存成功"_s << playAddress << 16 << 3;
        QTest::newRow("title too long for one line") << playAddress << QString() << 16 << 0;
    }

    void textStaysInsideTheBezel()
    {
        QFETCH(QString, title);
        QFETCH(QString, details);
        QFETCH(int, detailsPixelSize);
        QFETCH(int, minimumDetailLines);
        TextHUD text(title, details, detailsPixelSize);
        const QRect bezel = text.hud->bezelView()->geometry();

        QVERIFY2(bezel.left() >= hudMargin && bezel.right() < 390 - hudMargin,
                 qPrintable(u"bezel %1..%2"_s.arg(bezel.left()).arg(bezel.right())));
        for (Fen_QorLabel *label : { text.hud->label(), text.hud->detailsLabel() }) {
            if (label->text().isEmpty())
                continue;
            const QRect frame = label->geometry();
            QVERIFY2(frame.left() >= hudMargin && frame.right() < bezel.width() - hudMargin,
                     qPrintable(u"label %1..%2 in a bezel %3 wide"_s.arg(frame.left())
                                    .arg(frame.right())
                                    .arg(bezel.width())));
            QVERIFY(frame.bottom() < bezel.height());
            const QList<Fen_QorLabel::Line> lines = label->lines();
            QVERIFY(!lines.isEmpty());
            for (const Fen_QorLabel::Line &line : lines) {
                QVERIFY2(line.rect.left() >= 0 && line.rect.right() <= frame.width(),
                         qPrintable(u"\"%1\" at %2..%3 in a label %4 wide"_s.arg(line.text)
                                        .arg(line.rect.left())
                                        .arg(line.rect.right())
                                        .arg(frame.width())));
                QVERIFY(line.rect.top() >= 0 && line.rect.bottom() <= frame.height());
            }
        }

        const QList<Fen_QorLabel::Line> detailLines = text.hud->detailsLabel()->lines();
        QVERIFY2(detailLines.size() >= minimumDetailLines,
                 qPrintable(joinedText(detailLines, u"|"_s)));
        // Wrapping moves characters to the next line, it never drops any.
        QCOMPARE(joinedText(detailLines, QString()).remove(u' '),
                 QString(details).remove(u'\n').remove(u' '));
        QCOMPARE(text.hud->detailsLabel()->height(),
                 details.isEmpty()
                     ? 0
                     : text.hud->detailsLabel()->heightForWidth(text.hud->detailsLabel()->width()));
    }

    void longTitleIsElided()
    {
        TextHUD text(copiedAddress, QString(), 12);
        const QList<Fen_QorLabel::Line> lines = text.hud->label()->lines();
        QCOMPARE(lines.size(), 2); // the title keeps its explicit line break and never wraps
        QCOMPARE(lines.at(0).text, u"保存成功"_s);
        QVERIFY(lines.at(1).text.endsWith(u'…'));
        QVERIFY(playAddress.startsWith(lines.at(1).text.chopped(1)));
        QVERIFY(lines.at(1).rect.width() <= text.hud->label()->width());
        // With room to spare the title is shown whole.
        const int natural = text.hud->label()->sizeHint().width();
        text.hud->label()->resize(natural, text.hud->label()->height());
        QCOMPARE(text.hud->label()->lines().at(1).text, playAddress);
    }

    void breaksFallBetweenWords_data()
    {
        QTest::addColumn<QString>("details");
        QTest::addColumn<QString>("wordSeparator");
        QTest::newRow("sentence with spaces") << spacedSentence << u" "_s;
        QTest::newRow("Chinese sentence") << chineseSentence << QString();
    }

    void breaksFallBetweenWords()
    {
        QFETCH(QString, details);
        QFETCH(QString, wordSeparator);
        TextHUD text(QString(), details, 16);
        const QList<Fen_QorLabel::Line> lines = text.hud->detailsLabel()->lines();
        QVERIFY(lines.size() >= 2);
        // A break inside an English word would put a space into it when the lines are joined.
        QCOMPARE(joinedText(lines, wordSeparator), details);
        // Chinese breaks between characters but never puts a comma or full stop first.
        for (const Fen_QorLabel::Line &line : lines) {
            QVERIFY2(!line.text.startsWith(u'，') && !line.text.startsWith(u'。'),
                     qPrintable(line.text));
        }
    }

    void emptyDetailsTakeNoRoom()
    {
        TextHUD titleOnly(u"保存成功"_s, QString(), 16);
        TextHUD withDetails(u"保存成功"_s, u"已复制"_s, 16);
        const int detailsHeight = withDetails.hud->detailsLabel()->height();
        QVERIFY(detailsHeight > 0);
        QCOMPARE(titleOnly.hud->bezelView()->height() + detailsHeight + 4,
                 withDetails.hud->bezelView()->height());
    }
};

QTEST_MAIN(TestHUDLabel)
#include "tst_hudlabel.moc"
