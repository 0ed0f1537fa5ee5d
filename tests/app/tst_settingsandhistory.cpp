#include "ClipboardWatcher.h"
#include "HistoryDialog.h"
#include "HistoryService.h"
#include "InterfaceLanguage.h"
#include "Settings.h"
#include "SettingsDialog.h"
#include "ViewController.h"
#include "WindowMenu.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QMessageBox>
#include <QNetworkProxy>
#include <QSignalSpy>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;
using Key = Settings::Key;

Q_DECLARE_METATYPE(Settings::Key)

namespace {

// The controls of \a dialog the keyboard reaches, which a screen reader has to name.
QList<QWidget *> namedControls(QWidget *dialog)
{
    QList<QWidget *> controls;
    const QList<QWidget *> widgets = dialog->findChildren<QWidget *>();
    for (QWidget *widget : widgets) {
        if (qobject_cast<QAbstractButton *>(widget) || qobject_cast<QLineEdit *>(widget)
            || qobject_cast<QComboBox *>(widget) || qobject_cast<QSpinBox *>(widget)
            || (qobject_cast<QAbstractItemView *>(widget)
                && !qobject_cast<QHeaderView *>(widget))) {
            // The fields inside combo and spin boxes are named through their box, a combo box's
            // list is a popup of its own, and a table's headers are read as its header cells.
            if (widget->window() == dialog && widget->isVisibleTo(dialog)
                && widget->focusPolicy() != Qt::NoFocus
                && !qobject_cast<QComboBox *>(widget->parentWidget())
                && !qobject_cast<QAbstractSpinBox *>(widget->parentWidget()))
                controls.append(widget);
        }
    }
    return controls;
}

QString accessibleName(QWidget *widget)
{
    QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(widget);
    return accessible ? accessible->text(QAccessible::Name) : QString();
}

} // namespace

/*! The settings dialog, the history view and clipboard watching, on real files. */
class TestSettingsAndHistory : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanup();
    void settingsDialogChecksBeforeSaving_data();
    void settingsDialogChecksBeforeSaving();
    void everyControlIsNamed_data();
    void everyControlIsNamed();
    void historySearchesAndReopens();
    void linksInACopiedText_data();
    void linksInACopiedText();
    void clipboardWatchingFollowsTheSetting_data();
    void clipboardWatchingFollowsTheSetting();
    void windowMenuFollowsTheSettings_data();
    void windowMenuFollowsTheSettings();

private:
    QTemporaryDir m_folder;
};

void TestSettingsAndHistory::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(m_folder.isValid());
}

void TestSettingsAndHistory::cleanup()
{
    QVERIFY(InterfaceLanguage::install(InterfaceLanguage::english));
}

void TestSettingsAndHistory::settingsDialogChecksBeforeSaving_data()
{
    QTest::addColumn<Key>("key");
    QTest::addColumn<QString>("entered");
    QTest::addColumn<QString>("problem"); // a part of it; empty: saved

    const QString aFile = m_folder.filePath(u"a file"_s);
    QFile file(aFile);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QTest::newRow("a folder below a file is refused")
        << Key::VideoFolder << aFile + u"/videos"_s << u"Video folder: "_s + aFile;
    QTest::newRow("a bad proxy is refused")
        << Key::Proxy << u"proxy:8080"_s << u"Proxy: The proxy is http://"_s;
    QTest::newRow("a bad template is refused")
        << Key::NameTemplate << u"{id}/{title}.{ext}"_s << u"File names: "_s;
    QTest::newRow("a good proxy is saved")
        << Key::Proxy << u"socks5://127.0.0.1:1080"_s << QString();
    QTest::newRow("a new folder is saved")
        << Key::PictureFolder << m_folder.filePath(u"new/pictures"_s) << QString();
}

void TestSettingsAndHistory::settingsDialogChecksBeforeSaving()
{
    QFETCH(Key, key);
    QFETCH(QString, entered);
    QFETCH(QString, problem);
    const QString path = m_folder.filePath(u"dialog.conf"_s);
    QFile::remove(path);
    Settings settings(path);
    SettingsDialog dialog(&settings);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    auto *parallel = qobject_cast<QSpinBox *>(dialog.editor(Key::Parallel));
    parallel->setValue(5);
    auto *field = qobject_cast<QLineEdit *>(dialog.editor(key));
    QVERIFY(field);
    field->setText(entered);
    dialog.accept();

    QCOMPARE(dialog.result(), problem.isEmpty() ? QDialog::Accepted : QDialog::Rejected);
    QVERIFY2(dialog.problem().contains(problem), qPrintable(dialog.problem()));
    QCOMPARE(dialog.problem().isEmpty(), problem.isEmpty());
    if (!problem.isEmpty())
        QVERIFY(field->hasFocus());
    // Nothing is saved while one value is refused; all of them otherwise.
    const Settings reread(path);
    QCOMPARE(reread.contains(key), problem.isEmpty());
    QCOMPARE(reread.parallel(), problem.isEmpty() ? 5 : 2);
    QVERIFY(!reread.contains(Key::Codec)); // a default left as it was is not written
    if (problem.isEmpty())
        QCOMPARE(reread.value(key).toString(), entered);
}

void TestSettingsAndHistory::everyControlIsNamed_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("historyName"); // of the history's table
    QTest::newRow("English") << InterfaceLanguage::english << u"Items resolved before"_s;
    QTest::newRow("Chinese") << InterfaceLanguage::chinese << u"解析过的作品"_s;
}

void TestSettingsAndHistory::everyControlIsNamed()
{
    QFETCH(QString, language);
    QFETCH(QString, historyName);
    QVERIFY(InterfaceLanguage::install(language));
    Settings settings(m_folder.filePath(u"names.conf"_s));
    SettingsDialog settingsDialog(&settings);
    HistoryService service(m_folder.filePath(u"names.sqlite"_s));
    HistoryDialog historyDialog(&service);
    QCOMPARE(accessibleName(historyDialog.table()), historyName);
    for (QWidget *dialog :
         { static_cast<QWidget *>(&settingsDialog), static_cast<QWidget *>(&historyDialog) }) {
        const QList<QWidget *> controls = namedControls(dialog);
        QVERIFY(controls.size() >= 5);
        for (QWidget *control : controls) {
            QVERIFY2(!accessibleName(control).trimmed().isEmpty(),
                     qPrintable(QString::fromLatin1(control->metaObject()->className()) + u' '
                                + QString::fromLatin1(
                                    control->parentWidget()->metaObject()->className())));
        }
    }
}

void TestSettingsAndHistory::historySearchesAndReopens()
{
    const QString gone = m_folder.filePath(u"gone.mp4"_s);
    HistoryService service(m_folder.filePath(u"history.sqlite"_s));
    service.open();
    const QDateTime when = QDateTime::currentDateTimeUtc();
    service.recordItem({ u"7301"_s, u"video"_s, u"小鹿"_s, u"春天的第一场雨"_s, when, {} });
    service.recordItem({ u"42"_s, u"gallery"_s, u"someone"_s, u"cats"_s, when.addSecs(-5), {} });
    service.recordFile({ u"7301"_s, gone, 10, u"video"_s, when, false });
    HistoryDialog dialog(&service);
    QSignalSpy reopened(&dialog, &HistoryDialog::reopenRequested);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));

    QTRY_COMPARE(dialog.table()->model()->rowCount(), 2);
    // The most recent first, selected, with its file, marked as gone.
    QTRY_COMPARE(dialog.fileList()->count(), 1);
    QVERIFY2(dialog.fileList()->item(0)->text().contains(u"no longer there"_s),
             qPrintable(dialog.fileList()->item(0)->text()));
    QVERIFY(dialog.table()->model()->index(0, 3).data().toString().startsWith(u"Saved on"_s));
    QTest::keyClicks(dialog.searchField(), u"cat"_s);
    QTRY_COMPARE(dialog.table()->model()->rowCount(), 1);
    QCOMPARE(dialog.table()->model()->index(0, 2).data().toString(), u"42"_s);
    QTRY_COMPARE(dialog.fileList()->count(), 0);
    QTest::keyClick(dialog.table(), Qt::Key_Return);
    QCOMPARE(reopened.size(), 1);
    QCOMPARE(reopened.constFirst().constFirst().toString(), u"42"_s);
}

void TestSettingsAndHistory::linksInACopiedText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("links");
    QTest::newRow("a share text")
        << u"7.43 复制打开抖音，看看【小鹿的作品】 https://v.douyin.com/AbC-12_xYz/ 好看"_s
        << QStringList { u"https://v.douyin.com/AbC-12_xYz/"_s };
    QTest::newRow("several, one twice, a foreign one between")
        << u"https://v.douyin.com/a1/ https://example.org/x https://www.douyin.com/video/7301 "
           "https://v.douyin.com/a1/"_s
        << QStringList { u"https://v.douyin.com/a1/"_s, u"https://www.douyin.com/video/7301"_s };
    QTest::newRow("links stuck together")
        << u"https://v.douyin.com/a1/+https://v.douyin.com/b2/"_s
        << QStringList { u"https://v.douyin.com/a1/"_s, u"https://v.douyin.com/b2/"_s };
    QTest::newRow("no platform link") << u"see https://example.org/ and 7301234"_s << QStringList();
}

void TestSettingsAndHistory::linksInACopiedText()
{
    QFETCH(QString, text);
    QFETCH(QStringList, links);
    QCOMPARE(ClipboardWatcher::linksIn(text, Endpoints()), links);
}

void TestSettingsAndHistory::clipboardWatchingFollowsTheSetting_data()
{
    QTest::addColumn<bool>("enabled");
    QTest::newRow("off") << false;
    QTest::newRow("on") << true;
}

void TestSettingsAndHistory::clipboardWatchingFollowsTheSetting()
{
    QFETCH(bool, enabled);
    ClipboardWatcher watcher(QGuiApplication::clipboard());
    watcher.setEnabled(enabled);
    QSignalSpy offered(&watcher, &ClipboardWatcher::linksOffered);
    const QString text = u"看看 https://v.douyin.com/%1/"_s.arg(enabled ? u"on"_s : u"off"_s);
    QGuiApplication::clipboard()->setText(text);
    QGuiApplication::clipboard()->setText(text); // the same text again is not offered again
    QGuiApplication::clipboard()->setText(u"no link"_s);
    QCoreApplication::processEvents();
    QCOMPARE(offered.size(), enabled ? 1 : 0);
    if (enabled)
        QCOMPARE(offered.constFirst().constFirst().toStringList(),
                 QStringList { u"https://v.douyin.com/on/"_s });
}

void TestSettingsAndHistory::windowMenuFollowsTheSettings_data()
{
    QTest::addColumn<QString>("settings"); // the user's settings file; empty: none
    QTest::addColumn<QByteArray>("history"); // the history file's bytes; empty: none
    QTest::addColumn<QString>("proxy"); // host:port of the application's proxy; empty: none
    QTest::addColumn<bool>("watching");
    QTest::addColumn<QString>("message"); // a part of the message shown; empty: none

    QTest::newRow("nothing set") << QString() << QByteArray() << QString() << false << QString();
    QTest::newRow("proxy and clipboard watching")
        << u"[network]\nproxy=http://127.0.0.1:3128\n[clipboard]\nwatch=true\n"_s << QByteArray()
        << u"127.0.0.1:3128"_s << true << QString();
    QTest::newRow("a history file that is no database")
        << QString() << QByteArray("not a database") << QString() << false
        << u"history.sqlite.damaged-"_s;
}

void TestSettingsAndHistory::windowMenuFollowsTheSettings()
{
    QFETCH(QString, settings);
    QFETCH(QByteArray, history);
    QFETCH(QString, proxy);
    QFETCH(bool, watching);
    QFETCH(QString, message);
    const Settings user;
    // The user's files of the test mode, anew for each row.
    QDir historyFolder = QFileInfo(HistoryStore::defaultPath()).dir();
    QVERIFY(historyFolder.removeRecursively() && historyFolder.mkpath(u"."_s));
    QVERIFY(QDir().mkpath(QFileInfo(user.filePath()).absolutePath()));
    QFile::remove(user.filePath());
    const auto write = [](const QString &path, const QByteArray &bytes) {
        QFile file(path);
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
    };
    if (!settings.isEmpty())
        QVERIFY(write(user.filePath(), settings.toUtf8()));
    if (!history.isEmpty())
        QVERIFY(write(HistoryStore::defaultPath(), history));
    const QNetworkProxy proxyBefore = QNetworkProxy::applicationProxy();

    {
        QWidget window;
        auto *layout = new QVBoxLayout(&window);
        auto *screen = new ViewController;
        layout->addWidget(screen);
        WindowMenu menu(&window, screen, Endpoints());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(layout->menuBar(), menu.menuBar());
        QCOMPARE(menu.clipboardWatcher()->isEnabled(), watching);
        const QNetworkProxy applied = QNetworkProxy::applicationProxy();
        QCOMPARE(proxy.isEmpty() ? QString()
                                 : u"%1:%2"_s.arg(applied.hostName()).arg(applied.port()),
                 proxy);
        // The history answers in order: once a search is answered, its opening was too.
        QSignalSpy found(menu.history(), &HistoryService::found);
        menu.history()->search(QString());
        QTRY_COMPARE(found.size(), 1);
        const auto *box = window.findChild<QMessageBox *>();
        QCOMPARE(box != nullptr, !message.isEmpty());
        if (box)
            QVERIFY2(box->text().contains(message), qPrintable(box->text()));
    }
    QNetworkProxy::setApplicationProxy(proxyBefore);
    QFile::remove(user.filePath());
    QVERIFY(historyFolder.removeRecursively());
}

QTEST_MAIN(TestSettingsAndHistory)
#include "tst_settingsandhistory.moc"
