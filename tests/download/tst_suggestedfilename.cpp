#include "SuggestedFileName.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class TestSuggestedFileName : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void fromHeaders_data();
    void fromHeaders();
    void extensionFollowsTheSniffedType_data();
    void extensionFollowsTheSniffedType();
    void sanitize_data();
    void sanitize();
    void longNamesAreCutOnCharacterBoundaries_data();
    void longNamesAreCutOnCharacterBoundaries();
    void numbered_data();
    void numbered();
    void claimUniqueNeverReusesAName();
};

void TestSuggestedFileName::fromHeaders_data()
{
    QTest::addColumn<QByteArray>("disposition");
    QTest::addColumn<QUrl>("url");
    QTest::addColumn<QByteArray>("contentType");
    QTest::addColumn<QString>("expected");

    const QUrl media(u"http://localhost:8080/media/sample.mp4"_s);
    const QUrl play(u"http://localhost:8080/aweme/v1/play/?video_id=v0200abc"_s);
    const QUrl root(u"http://localhost:8080/"_s);
    const QByteArray mp4 = "video/mp4";

    QTest::newRow("path segment") << QByteArray() << media << mp4 << u"sample.mp4"_s;
    QTest::newRow("segment before a trailing slash, extension from the type")
        << QByteArray() << play << mp4 << u"play.mp4"_s;
    QTest::newRow("type with parameters")
        << QByteArray() << play << QByteArray("Video/MP4; charset=binary") << u"play.mp4"_s;
    QTest::newRow("no name at all") << QByteArray() << root << mp4 << u"Unknown.mp4"_s;
    QTest::newRow("no name, no type") << QByteArray() << root << QByteArray() << u"Unknown"_s;
    QTest::newRow("octet-stream adds nothing")
        << QByteArray() << play << QByteArray("application/octet-stream") << u"play"_s;
    QTest::newRow("unknown type adds nothing")
        << QByteArray() << play << QByteArray("x-nonsense/x") << u"play"_s;
    QTest::newRow("an existing extension is kept")
        << QByteArray() << QUrl(u"http://h/clip.mov"_s) << mp4 << u"clip.mov"_s;
    QTest::newRow("percent-encoded segment")
        << QByteArray() << QUrl(u"http://h/%E8%A7%86%E9%A2%91.mp4"_s) << mp4 << u"视频.mp4"_s;
    QTest::newRow("encoded slash in the segment stays one name")
        << QByteArray() << QUrl(u"http://h/a%2F..%2Fb.mp4"_s) << mp4 << u"b.mp4"_s;
    QTest::newRow("filename") << QByteArray("attachment; filename=\"clip.mp4\"") << media << mp4
                              << u"clip.mp4"_s;
    QTest::newRow("filename token")
        << QByteArray("attachment; filename=clip.mp4") << media << mp4 << u"clip.mp4"_s;
    QTest::newRow("filename without extension gets one")
        << QByteArray("inline; filename=\"clip\"") << media << mp4 << u"clip.mp4"_s;
    QTest::newRow("filename* before filename")
        << QByteArray("attachment; filename=\"fallback.mp4\"; "
                      "filename*=UTF-8''%E6%8A%96%E9%9F%B3%20%F0%9F%8E%AC.mp4")
        << media << mp4 << u"抖音 🎬.mp4"_s;
    QTest::newRow("filename* in Latin-1")
        << QByteArray("attachment; filename*=iso-8859-1'en'caf%E9.mp4") << media << mp4
        << u"café.mp4"_s;
    QTest::newRow("filename* with an unknown charset falls back to filename")
        << QByteArray("attachment; filename*=koi8-r''%C1.mp4; filename=\"plain.mp4\"") << media
        << mp4 << u"plain.mp4"_s;
    QTest::newRow("filename* with broken UTF-8 falls back to filename")
        << QByteArray("attachment; filename*=UTF-8''%FF%FE.mp4; filename=\"plain.mp4\"") << media
        << mp4 << u"plain.mp4"_s;
    QTest::newRow("raw UTF-8 in filename")
        << QByteArray("attachment; filename=\"\xe8\xa7\x86.mp4\"") << media << mp4 << u"视.mp4"_s;
    QTest::newRow("semicolon and escaped quote inside quotes")
        << QByteArray(R"(attachment; filename="a;b \"c\".mp4"; size=3)") << media << mp4
        << u"a;b _c_.mp4"_s;
    QTest::newRow("parent directories")
        << QByteArray("attachment; filename=\"../../x.mp4\"") << media << mp4 << u"x.mp4"_s;
    QTest::newRow("absolute path")
        << QByteArray("attachment; filename=\"/etc/cron.d/job\"") << media << mp4 << u"job.mp4"_s;
    QTest::newRow("Windows path") << QByteArray("attachment; filename=\"C:\\\\Windows\\\\x.mp4\"")
                                  << media << mp4 << u"x.mp4"_s;
    QTest::newRow("only dots falls back to Unknown")
        << QByteArray("attachment; filename=\"..\"") << media << mp4 << u"Unknown.mp4"_s;
    QTest::newRow("empty filename falls back to the address")
        << QByteArray("attachment; filename=\"\"") << media << mp4 << u"sample.mp4"_s;
}

void TestSuggestedFileName::fromHeaders()
{
    QFETCH(QByteArray, disposition);
    QFETCH(QUrl, url);
    QFETCH(QByteArray, contentType);
    QFETCH(QString, expected);
    QCOMPARE(SuggestedFileName::fromHeaders(disposition, url, contentType), expected);
}

void TestSuggestedFileName::extensionFollowsTheSniffedType_data()
{
    QTest::addColumn<QString>("suggested");
    QTest::addColumn<QByteArray>("firstBytes");
    QTest::addColumn<QString>("expected");

    const QByteArray mp4("\0\0\0\x18"
                         "ftypisom\0\0\x02\0isomiso2",
                         24);
    const QByteArray jpeg("\xff\xd8\xff\xe0\0\x10JFIF\0", 11);
    const QByteArray png("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16);
    const QByteArray webp("RIFF\x24\0\0\0WEBPVP8 ", 16);
    QTest::newRow("desktop file that is a video") << u"run.desktop"_s << mp4 << u"run.mp4"_s;
    QTest::newRow("script that is a video") << u"install.sh"_s << mp4 << u"install.mp4"_s;
    QTest::newRow("no extension") << u"clip"_s << mp4 << u"clip.mp4"_s;
    QTest::newRow("matching extension in capitals") << u"clip.MP4"_s << mp4 << u"clip.MP4"_s;
    QTest::newRow("JPEG named as video") << u"cover.mp4"_s << jpeg << u"cover.jpg"_s;
    QTest::newRow("jpeg spelt out is kept") << u"cover.jpeg"_s << jpeg << u"cover.jpeg"_s;
    QTest::newRow("PNG") << u"image"_s << png << u"image.png"_s;
    QTest::newRow("WebP named as JPEG") << u"image.jpg"_s << webp << u"image.webp"_s;
    QTest::newRow("nothing sniffed keeps the name")
        << u"run.desktop"_s << QByteArray() << u"run.desktop"_s;
    QTest::newRow("text sniffed keeps the name")
        << u"notes.sh"_s << QByteArray("echo hi\n") << u"notes.sh"_s;
}

void TestSuggestedFileName::extensionFollowsTheSniffedType()
{
    QFETCH(QString, suggested);
    QFETCH(QByteArray, firstBytes);
    QFETCH(QString, expected);
    const QByteArray disposition = "attachment; filename=\"" + suggested.toUtf8() + '"';
    const QString name = SuggestedFileName::fromHeaders(disposition, QUrl(u"http://h/x"_s),
                                                        "application/octet-stream", firstBytes);
    QCOMPARE(name, expected);
}

void TestSuggestedFileName::sanitize_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("expected");

    QTest::newRow("plain") << u"clip.mp4"_s << u"clip.mp4"_s;
    QTest::newRow("leading dot") << u".hidden"_s << u"hidden"_s;
    QTest::newRow("leading dots and spaces") << u" . .bashrc.mp4"_s << u"bashrc.mp4"_s;
    QTest::newRow("trailing dots and spaces") << u"clip.mp4. . "_s << u"clip.mp4"_s;
    QTest::newRow("newline, tab, NUL, DEL, C1")
        << u"a\nb\tc"_s + QChar(0) + u"d\u007fe\u0085f.mp4"_s << u"abcdef.mp4"_s;
    QTest::newRow("right-to-left override") << u"clip\u202Egpj.exe"_s << u"clipgpj.exe"_s;
    QTest::newRow("direction marks") << u"\u200Fclip\u200E\u061C.mp4"_s << u"clip.mp4"_s;
    QTest::newRow("zero-width characters")
        << u"c\u200Bl\u200Ci\u200Dp\u2060\uFEFF.mp4"_s << u"clip.mp4"_s;
    QTest::newRow("a mark hiding a leading dot") << u"\u200B.bashrc"_s << u"bashrc"_s;
    QTest::newRow("lone surrogate") << QString(QChar(0xD800)) + u"clip.mp4"_s << u"clip.mp4"_s;
    QTest::newRow("Windows reserved characters")
        << u"a<b>c:d\"e|f?g*h.mp4"_s << u"a_b_c_d_e_f_g_h.mp4"_s;
    QTest::newRow("device name") << u"con.mp4"_s << u"_con.mp4"_s;
    QTest::newRow("device name with number") << u"LPT1"_s << u"_LPT1"_s;
    QTest::newRow("not a device name") << u"console.mp4"_s << u"console.mp4"_s;
    QTest::newRow("separators keep the last part") << u"a/b\\c.mp4"_s << u"c.mp4"_s;
    QTest::newRow("trailing separator") << u"dir/"_s << u"Unknown"_s;
    QTest::newRow("dot dot") << u".."_s << u"Unknown"_s;
    QTest::newRow("only controls") << u"\r\n"_s << u"Unknown"_s;
    QTest::newRow("Chinese and emoji stay") << u"抖音 🎬 第1集.mp4"_s << u"抖音 🎬 第1集.mp4"_s;
}

void TestSuggestedFileName::sanitize()
{
    QFETCH(QString, name);
    QFETCH(QString, expected);
    const QString safe = SuggestedFileName::sanitize(name);
    QCOMPARE(safe, expected);
    QCOMPARE(SuggestedFileName::sanitize(safe), safe);
}

void TestSuggestedFileName::longNamesAreCutOnCharacterBoundaries_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("extension");

    QTest::newRow("300 ASCII characters") << QString(296, u'a') + u".mp4"_s << u".mp4"_s;
    QTest::newRow("300 ASCII characters, no extension") << QString(300, u'b') << QString();
    QTest::newRow("three-byte characters") << QString(150, QChar(0x89C6)) + u".mp4"_s << u".mp4"_s;
    // Four bytes each, two UTF-16 units each: a cut must not split a surrogate pair.
    QTest::newRow("emoji") << QString(u"🎬"_s).repeated(80) + u".webm"_s << u".webm"_s;
    // A flag is two code points; a cut must not leave half a flag.
    QTest::newRow("flags") << QString(u"🇨🇳"_s).repeated(40) + u".mp4"_s << u".mp4"_s;
    // Found by fuzzing the name template: Qt put a boundary inside the emoji, and the cut
    // overshot the cap.
    QTest::newRow("emoji before a Khmer digit")
        << QString(u"🍅\u17E5~"_s).repeated(40) + u".mp4"_s << u".mp4"_s;
}

void TestSuggestedFileName::longNamesAreCutOnCharacterBoundaries()
{
    QFETCH(QString, name);
    QFETCH(QString, extension);
    const QString safe = SuggestedFileName::sanitize(name);
    QVERIFY(safe.toUtf8().size() <= SuggestedFileName::maxBytes);
    QVERIFY(safe.toUtf8().size() > SuggestedFileName::maxBytes - 8);
    QVERIFY(safe.endsWith(extension));
    QVERIFY(name.startsWith(safe.chopped(extension.size())));
    QCOMPARE(QString::fromUtf8(safe.toUtf8()), safe); // no lone surrogate
    const QString stem = safe.chopped(extension.size());
    if (name.startsWith(u"🇨🇳"_s))
        QCOMPARE(stem.size() % 4, 0);
}

void TestSuggestedFileName::numbered_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("expected");

    QTest::newRow("zero is the name") << u"clip.mp4"_s << 0 << u"clip.mp4"_s;
    QTest::newRow("first") << u"clip.mp4"_s << 1 << u"clip (1).mp4"_s;
    QTest::newRow("no extension") << u"clip"_s << 2 << u"clip (2)"_s;
    QTest::newRow("inner dots") << u"a.b.c.mp4"_s << 3 << u"a.b.c (3).mp4"_s;
    QTest::newRow("at the length bound")
        << QString(196, u'x') + u".mp4"_s << 12 << QString(191, u'x') + u" (12).mp4"_s;
}

void TestSuggestedFileName::numbered()
{
    QFETCH(QString, name);
    QFETCH(int, number);
    QFETCH(QString, expected);
    QCOMPARE(SuggestedFileName::numbered(name, number), expected);
}

void TestSuggestedFileName::claimUniqueNeverReusesAName()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QFile existing(dir.filePath(u"clip.mp4"_s));
    QVERIFY(existing.open(QIODevice::WriteOnly));
    existing.write("earlier");
    existing.close();

    const QString first = SuggestedFileName::claimUnique(dir.path(), u"clip.mp4"_s);
    const QString second = SuggestedFileName::claimUnique(dir.path(), u"clip.mp4"_s);
    const QString hostile = SuggestedFileName::claimUnique(dir.path(), u"../clip.mp4"_s);
    QCOMPARE(QFileInfo(first).fileName(), u"clip (1).mp4"_s);
    QCOMPARE(QFileInfo(second).fileName(), u"clip (2).mp4"_s);
    QCOMPARE(QFileInfo(hostile).fileName(), u"clip (3).mp4"_s);
    QCOMPARE(QFileInfo(hostile).absolutePath(), QFileInfo(dir.path()).absoluteFilePath());

    QVERIFY(existing.open(QIODevice::ReadOnly));
    QCOMPARE(existing.readAll(), QByteArray("earlier"));
    QVERIFY(
        SuggestedFileName::claimUnique(dir.filePath(u"missing/deeper"_s), u"x.mp4"_s).isEmpty());
}

QTEST_GUILESS_MAIN(TestSuggestedFileName)
#include "tst_suggestedfilename.moc"
