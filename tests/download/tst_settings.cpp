#include "Settings.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using Key = Settings::Key;

Q_DECLARE_METATYPE(Settings::Key)

/*! The settings file: defaults, what a hand-edited file may hold, and what a setter refuses. */
class TestSettings : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void defaults_data();
    void defaults();
    void storedValues_data();
    void storedValues();
    void refusedValuesLeaveTheFileAlone_data();
    void refusedValuesLeaveTheFileAlone();
    void theUsersFileIsKivorasOwn();

private:
    QString writeFile(const QString &text);

    QTemporaryDir m_folder;
};

void TestSettings::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(m_folder.isValid());
}

QString TestSettings::writeFile(const QString &text)
{
    static int count = 0;
    const QString path = m_folder.filePath(u"settings-%1.conf"_s.arg(++count));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {};
    file.write(text.toUtf8());
    return path;
}

void TestSettings::defaults_data()
{
    QTest::addColumn<Key>("key");
    QTest::addColumn<QVariant>("expected");
    const QString movies = QStandardPaths::writableLocation(QStandardPaths::MoviesLocation);
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    QTest::newRow("video folder") << Key::VideoFolder << QVariant(movies + u"/Kivora"_s);
    QTest::newRow("picture folder") << Key::PictureFolder << QVariant(pictures + u"/Kivora"_s);
    QTest::newRow("name template") << Key::NameTemplate << QVariant(QString());
    QTest::newRow("parallel") << Key::Parallel << QVariant(2);
    QTest::newRow("quality") << Key::Quality << QVariant(u"best"_s);
    QTest::newRow("codec") << Key::Codec << QVariant(u"h264"_s);
    QTest::newRow("live photos") << Key::LivePhotos << QVariant(true);
    QTest::newRow("proxy") << Key::Proxy << QVariant(QString());
    QTest::newRow("language") << Key::Language << QVariant(QString());
    QTest::newRow("clipboard watching is off") << Key::ClipboardWatch << QVariant(false);
}

void TestSettings::defaults()
{
    QFETCH(Key, key);
    QFETCH(QVariant, expected);
    const Settings settings(m_folder.filePath(u"missing.conf"_s));
    QCOMPARE(settings.value(key), expected);
    QVERIFY(!settings.contains(key));
    QVERIFY(settings.problems().isEmpty());
}

void TestSettings::storedValues_data()
{
    QTest::addColumn<QString>("line"); // in the file, below its group
    QTest::addColumn<Key>("key");
    QTest::addColumn<QVariant>("expected"); // what the getter gives
    QTest::addColumn<bool>("passedOver"); // the value is named in problems()

    auto add
        = [](const char *name, const QString &line, Key key, const QVariant &expected,
             bool passedOver) { QTest::newRow(name) << line << key << expected << passedOver; };
    add("folder", u"[downloads]\nvideoFolder=/srv/videos/\n"_s, Key::VideoFolder, u"/srv/videos"_s,
        false);
    add("relative folder", u"[downloads]\nvideoFolder=videos\n"_s, Key::VideoFolder,
        Settings::defaultValue(Key::VideoFolder), true);
    add("template", u"[downloads]\nnameTemplate={id}.{ext}\n"_s, Key::NameTemplate, u"{id}.{ext}"_s,
        false);
    add("template with an unknown field", u"[downloads]\nnameTemplate={author}.{ext}\n"_s,
        Key::NameTemplate, QString(), true);
    add("template with a path", u"[downloads]\nnameTemplate=a/{id}.{ext}\n"_s, Key::NameTemplate,
        QString(), true);
    add("parallel", u"[downloads]\nparallel=5\n"_s, Key::Parallel, 5, false);
    add("parallel zero", u"[downloads]\nparallel=0\n"_s, Key::Parallel, 2, true);
    add("parallel too many", u"[downloads]\nparallel=17\n"_s, Key::Parallel, 2, true);
    add("parallel no number", u"[downloads]\nparallel=many\n"_s, Key::Parallel, 2, true);
    add("quality by height", u"[downloads]\nquality=720p\n"_s, Key::Quality, u"720p"_s, false);
    add("quality worst", u"[downloads]\nquality=worst\n"_s, Key::Quality, u"worst"_s, false);
    add("quality without p", u"[downloads]\nquality=720\n"_s, Key::Quality, u"best"_s, true);
    add("codec", u"[downloads]\ncodec=any\n"_s, Key::Codec, u"any"_s, false);
    add("unknown codec", u"[downloads]\ncodec=vp9\n"_s, Key::Codec, u"h264"_s, true);
    add("live photos off", u"[downloads]\nlivePhotos=false\n"_s, Key::LivePhotos, false, false);
    add("live photos typo", u"[downloads]\nlivePhotos=flase\n"_s, Key::LivePhotos, true, true);
    add("socks proxy", u"[network]\nproxy=socks5://127.0.0.1:9050\n"_s, Key::Proxy,
        u"socks5://127.0.0.1:9050"_s, false);
    add("proxy without host", u"[network]\nproxy=http://\n"_s, Key::Proxy, QString(), true);
    add("ftp proxy", u"[network]\nproxy=ftp://example.org\n"_s, Key::Proxy, QString(), true);
    add("language", u"[interface]\nlanguage=en\n"_s, Key::Language, u"en"_s, false);
    add("unknown language", u"[interface]\nlanguage=fr\n"_s, Key::Language, QString(), true);
    add("clipboard watching on", u"[clipboard]\nwatch=true\n"_s, Key::ClipboardWatch, true, false);
}

void TestSettings::storedValues()
{
    QFETCH(QString, line);
    QFETCH(Key, key);
    QFETCH(QVariant, expected);
    QFETCH(bool, passedOver);
    const Settings settings(writeFile(line));
    QVERIFY(settings.contains(key));
    QCOMPARE(settings.value(key), expected);
    const QStringList problems = settings.problems();
    QCOMPARE(problems.size(), passedOver ? 1 : 0);
    if (passedOver)
        QVERIFY2(problems.constFirst().startsWith(Settings::name(key) + u": "_s),
                 qPrintable(problems.constFirst()));
}

void TestSettings::refusedValuesLeaveTheFileAlone_data()
{
    QTest::addColumn<Key>("key");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("reason"); // a part of it; empty: stored

    QTemporaryDir *folder = &m_folder;
    const QString aFile = writeFile(u"x"_s);
    QTest::newRow("a folder below a file")
        << Key::VideoFolder << QVariant(aFile + u"/videos"_s) << u"is not a folder"_s;
    QTest::newRow("a file as the folder")
        << Key::PictureFolder << QVariant(aFile) << u"is not a folder"_s;
    QTest::newRow("a folder still to be made")
        << Key::PictureFolder << QVariant(folder->filePath(u"new/pictures"_s)) << QString();
    QTest::newRow("a relative folder")
        << Key::VideoFolder << QVariant(u"videos"_s) << u"full path"_s;
    QTest::newRow("a bad template") << Key::NameTemplate << QVariant(u"{nope}"_s) << u"nope"_s;
    QTest::newRow("a bad proxy") << Key::Proxy << QVariant(u"proxy.example:80"_s)
                                 << u"http://HOST"_s;
    QTest::newRow("parallel") << Key::Parallel << QVariant(3) << QString();
}

void TestSettings::refusedValuesLeaveTheFileAlone()
{
    QFETCH(Key, key);
    QFETCH(QVariant, value);
    QFETCH(QString, reason);
    const QString path = m_folder.filePath(u"set.conf"_s);
    QFile::remove(path);
    {
        Settings settings(path);
        const QString refusal = settings.set(key, value);
        QVERIFY2(refusal.contains(reason), qPrintable(refusal));
        QCOMPARE(refusal.isEmpty(), reason.isEmpty());
        QCOMPARE(settings.sync(), QString());
    }
    const Settings reread(path);
    QCOMPARE(reread.contains(key), reason.isEmpty());
    if (reason.isEmpty())
        QCOMPARE(reread.value(key).toString(), value.toString());
}

// Every program of the project reads and writes the same file, whatever its own name.
void TestSettings::theUsersFileIsKivorasOwn()
{
    QCoreApplication::setApplicationName(u"kivora-cli"_s);
    const Settings settings;
    QCOMPARE(settings.filePath(),
             QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
                 + u"/Kivora/Kivora.conf"_s);
}

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
