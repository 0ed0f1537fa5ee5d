#include "BusyIndicator.h"
#include "Fen_QorProgressHUD.h"
#include "Fen_QorProgressHUDRoundedButton.h"
#include "Fen_QorShortcuts.h"
#include "GalleryView.h"
#include "InterfaceLanguage.h"
#include "NetworkTrust.h"
#include "SamplePlatform.h"
#include "TemporaryHome.h"
#include "ViewController.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRegularExpression>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// Every text the screen shows or speaks (labels, buttons, placeholders, tool tips, accessible
// names, the HUD's texts) except the item's data (author and title) and what the user typed.
QStringList visibleTexts(QWidget *screen)
{
    QStringList texts;
    const QList<QWidget *> widgets = screen->findChildren<QWidget *>();
    for (QWidget *widget : widgets) {
        if (!widget->isVisibleTo(screen) || widget->objectName() == u"itemLabel"_s)
            continue;
        texts << widget->toolTip() << widget->accessibleName();
        if (auto *label = qobject_cast<QLabel *>(widget))
            texts << label->text();
        if (auto *button = qobject_cast<QAbstractButton *>(widget))
            texts << button->text();
        if (auto *field = qobject_cast<QLineEdit *>(widget))
            texts << field->placeholderText();
        if (auto *list = qobject_cast<QListWidget *>(widget)) {
            for (int i = 0; i < list->count(); ++i)
                texts << list->item(i)->data(Qt::AccessibleTextRole).toString();
        }
    }
    texts.removeAll(QString());
    return texts;
}

// Addresses and folders are data in any language.
QString withoutAddresses(const QString &text)
{
    static const QRegularExpression address(u"\\S*[/\\\\:]\\S*"_s);
    return QString(text).remove(address);
}

// The words of the other language in \a text.
QStringList foreignWords(const QString &text, const QString &language)
{
    QStringList found;
    if (language == InterfaceLanguage::english) {
        static const QRegularExpression chinese(u"[\\x{3000}-\\x{9fff}\\x{ff00}-\\x{ffef}]+"_s);
        for (const QRegularExpressionMatch &match : chinese.globalMatch(text))
            found << match.captured();
        return found;
    }
    // Names, units and formats that Chinese texts write in Latin letters.
    static const QStringList allowed { u"Kivora"_s, u"ID"_s,  u"Ctrl"_s, u"kB"_s,  u"KB"_s,
                                       u"MB"_s,     u"GB"_s,  u"JPEG"_s, u"PNG"_s, u"WebP"_s,
                                       u"HTTP"_s,   u"UTF"_s, u"JSON"_s };
    static const QRegularExpression word(u"[A-Za-z]{2,}"_s);
    for (const QRegularExpressionMatch &match : word.globalMatch(withoutAddresses(text))) {
        if (!allowed.contains(match.captured()))
            found << match.captured();
    }
    return found;
}

} // namespace

class tst_Language : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void fromLocale_data();
    void fromLocale();
    void fromName_data();
    void fromName();
    void progressSpeaksTheInterfaceLanguage_data();
    void progressSpeaksTheInterfaceLanguage();
    void everyVisibleTextIsInOneLanguage_data();
    void everyVisibleTextIsInOneLanguage();

private:
    void collect(QWidget *screen, const QString &stage);

    TemporaryHome m_home;
    SamplePlatform m_platform;
    QStringList m_seen; // "stage: text"
};

void tst_Language::initTestCase()
{
    QVERIFY(m_home.activate());
    QVERIFY(m_platform.start());
    QString error;
    QVERIFY2(NetworkTrust::addCaCertificates(SamplePlatform::caCertificatesPath(), &error),
             qPrintable(error));
}

void tst_Language::cleanupTestCase()
{
    QVERIFY(InterfaceLanguage::install(InterfaceLanguage::english));
}

void tst_Language::fromLocale_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("language");
    QTest::newRow("Simplified Chinese") << u"zh_CN"_s << InterfaceLanguage::chinese;
    QTest::newRow("Chinese of Taiwan") << u"zh_TW"_s << InterfaceLanguage::chinese;
    QTest::newRow("English") << u"en_GB"_s << InterfaceLanguage::english;
    QTest::newRow("German: English") << u"de_DE"_s << InterfaceLanguage::english;
    QTest::newRow("C: English") << u"C"_s << InterfaceLanguage::english;
}

void tst_Language::fromLocale()
{
    QFETCH(QString, locale);
    QFETCH(QString, language);
    QCOMPARE(InterfaceLanguage::fromLocale(QLocale(locale)), language);
}

void tst_Language::fromName_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<std::optional<QString>>("language");
    QTest::newRow("zh") << u"zh"_s << std::optional(InterfaceLanguage::chinese);
    QTest::newRow("zh_CN") << u"zh_CN"_s << std::optional(InterfaceLanguage::chinese);
    QTest::newRow("zh-Hans") << u"zh-Hans"_s << std::optional(InterfaceLanguage::chinese);
    QTest::newRow("en") << u"en"_s << std::optional(InterfaceLanguage::english);
    QTest::newRow("EN_us") << u"EN_us"_s << std::optional(InterfaceLanguage::english);
    QTest::newRow("fr") << u"fr"_s << std::optional<QString>();
    QTest::newRow("empty") << QString() << std::optional<QString>();
}

void tst_Language::fromName()
{
    QFETCH(QString, name);
    QFETCH(std::optional<QString>, language);
    QCOMPARE(InterfaceLanguage::fromName(name), language);
}

void tst_Language::progressSpeaksTheInterfaceLanguage_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("system"); // the system's locale: the other language on purpose
    QTest::addColumn<qint64>("received");
    QTest::addColumn<qint64>("total");
    QTest::addColumn<QString>("text");

    const QString zh = InterfaceLanguage::chinese;
    const QString en = InterfaceLanguage::english;
    QTest::newRow("Chinese, size unknown")
        << zh << u"en_US"_s << qint64(500) << qint64(-1) << u"500 字节"_s;
    QTest::newRow("English, size unknown")
        << en << u"zh_CN"_s << qint64(500) << qint64(-1) << u"500 bytes"_s;
    QTest::newRow("Chinese, size known")
        << zh << u"en_US"_s << qint64(512) << qint64(2048) << u"512 字节 / 2.0 kB（25%）"_s;
    QTest::newRow("English, size known")
        << en << u"zh_CN"_s << qint64(512) << qint64(2048) << u"512 bytes of 2.0 kB (25 %)"_s;
}

// The sizes follow the window's language, not the system's: "字节" must not reach an English
// window on a Chinese system.
void tst_Language::progressSpeaksTheInterfaceLanguage()
{
    QFETCH(QString, language);
    QFETCH(QString, system);
    QFETCH(qint64, received);
    QFETCH(qint64, total);
    QFETCH(QString, text);
    const QLocale before;
    QLocale::setDefault(QLocale(system));
    QVERIFY(InterfaceLanguage::install(language));
    const QString shown = BusyIndicator::progressText(received, total);
    QLocale::setDefault(before);
    QCOMPARE(shown, text);
}

void tst_Language::collect(QWidget *screen, const QString &stage)
{
    for (const QString &text : visibleTexts(screen))
        m_seen << stage + u": "_s + text;
}

void tst_Language::everyVisibleTextIsInOneLanguage_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<QStringList>("mustAppear"); // texts the walk must meet
    QTest::newRow("Chinese") << InterfaceLanguage::chinese
                             << QStringList { u"粘贴"_s,     u"解析"_s,     u"复制链接"_s,
                                              u"下载视频"_s, u"保存成功"_s, u"解析失败！💦"_s,
                                              u"已取消"_s };
    QTest::newRow("English") << InterfaceLanguage::english
                             << QStringList { u"Paste"_s,          u"Parse"_s, u"Copy link"_s,
                                              u"Download video"_s, u"Saved"_s, u"Parse failed"_s,
                                              u"Cancelled"_s };
}

// Walks the screen through every flow and reads every text it shows on the way.
void tst_Language::everyVisibleTextIsInOneLanguage()
{
    QFETCH(QString, language);
    QFETCH(QStringList, mustAppear);
    QVERIFY(InterfaceLanguage::install(language));
    QCOMPARE(InterfaceLanguage::current(), language);
    m_seen.clear();
    m_platform.setFaults({});

    ViewController screen;
    screen.setEndpoints(m_platform.endpoints());
    screen.resize(390, 844);
    screen.show();
    QVERIFY(QTest::qWaitForWindowExposed(&screen));
    collect(&screen, u"start"_s);

    const SamplePlatform::Item video = m_platform.items().constFirst();
    screen.textField()->setText(m_platform.shareText(video));
    screen.parse();
    collect(&screen, u"parsing"_s);
    QTRY_VERIFY_WITH_TIMEOUT(!screen.isBusy(), 20000);
    collect(&screen, u"played"_s);
    screen.copyPlayAddress();
    collect(&screen, u"copied"_s);

    screen.download();
    QTRY_VERIFY_WITH_TIMEOUT(!screen.isBusy(), 20000);
    collect(&screen, u"saved"_s);

    m_platform.setFaults([] {
        SamplePlatform::Faults stall;
        stall.stall = true;
        return stall;
    }());
    screen.download();
    QTRY_VERIFY(Fen_QorHasHUD(&screen) && screen.currentDownload());
    QTRY_VERIFY(Fen_QorProgressHUD::HUDForView(&screen)->progress() > 0);
    collect(&screen, u"downloading"_s);
    screen.cancel();
    QTRY_VERIFY(!screen.isBusy());
    collect(&screen, u"cancelled"_s);
    m_platform.setFaults({});

    screen.textField()->setText(
        m_platform.shareText(m_platform.item(SamplePlatform::PageVariant::NoRouterData)));
    screen.parse();
    QTRY_VERIFY_WITH_TIMEOUT(!screen.isBusy(), 20000);
    collect(&screen, u"failed"_s);

    screen.textField()->setText(
        m_platform.shareText(m_platform.item(SamplePlatform::PageVariant::Gallery)));
    screen.parse();
    QTRY_VERIFY_WITH_TIMEOUT(!screen.isBusy(), 20000);
    collect(&screen, u"gallery"_s);
    screen.copyPlayAddress();
    collect(&screen, u"gallery copied"_s);

    QStringList foreign;
    for (const QString &seen : std::as_const(m_seen)) {
        const QStringList words = foreignWords(seen.section(u": "_s, 1), language);
        if (!words.isEmpty())
            foreign << seen + u"  ←  "_s + words.join(u' ');
    }
    QVERIFY2(foreign.isEmpty(), qPrintable(foreign.join(u'\n')));
    for (const QString &text : mustAppear) {
        QVERIFY2(std::any_of(m_seen.cbegin(), m_seen.cend(),
                             [&text](const QString &seen) {
                                 return seen.section(u": "_s, 1).split(u'\n').contains(text);
                             }),
                 qPrintable(text));
    }
}

QTEST_MAIN(tst_Language)
#include "tst_language.moc"
