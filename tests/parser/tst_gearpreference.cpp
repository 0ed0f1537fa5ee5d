#include "GearPreference.h"

#include <QTest>

using namespace Qt::StringLiterals;
using Codec = VideoGear::Codec;

namespace {

// The renditions of one video as the platform lists them, in no particular order; each has its
// index as its only address, so that a row names the expected one by that.
QList<VideoGear> listed()
{
    return {
        { 720, Codec::Bytevc1, 1100, 620, { u"0"_s } },
        { 1080, Codec::H264, 2100, 1180, { u"1"_s } },
        { 540, Codec::H264, 800, 450, { u"2"_s } },
        { 1080, Codec::Bytevc2, 1500, 840, { u"3"_s } },
        { 1080, Codec::H264, 2300, 1180, { u"4"_s } }, // same height and size, higher bit rate
        { 1080, Codec::H264, 1900, 1200, { u"5"_s } }, // same height, larger file
        { 540, Codec::H264, 700, 450, { u"6"_s } },
        { 1440, Codec::Bytevc1, 3000, 2000, { u"7"_s } },
        { 360, Codec::Bytevc1, 300, 100, { u"8"_s } },
    };
}

} // namespace

/*! Choosing a rendition: quality, then size, then bit rate, among the codecs allowed. */
class TestGearPreference : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void choosesTheRendition_data();
    void choosesTheRendition();
    void readsTheWordsOfTheOptions_data();
    void readsTheWordsOfTheOptions();
};

void TestGearPreference::choosesTheRendition_data()
{
    QTest::addColumn<QString>("quality");
    QTest::addColumn<QString>("codecs");
    QTest::addColumn<QList<VideoGear>>("gears");
    QTest::addColumn<int>("chosen"); // -1: none
    const QList<VideoGear> all = listed();
    QTest::newRow("default: best H.264, larger file before higher bit rate")
        << u"best"_s << u"h264"_s << all << 5;
    QTest::newRow("worst H.264: the smaller of two equals") << u"worst"_s << u"h264"_s << all << 6;
    QTest::newRow("best H.265 is bytevc1") << u"best"_s << u"h265"_s << all << 7;
    QTest::newRow("any leaves bytevc2 out") << u"best"_s << u"any"_s << all << 7;
    QTest::newRow("worst of any") << u"worst"_s << u"any"_s << all << 8;
    QTest::newRow("bytevc2 only when named") << u"best"_s << u"bytevc2"_s << all << 3;
    QTest::newRow("720p H.264: the tallest not above") << u"720p"_s << u"h264"_s << all << 2;
    QTest::newRow("720p H.265: exactly there") << u"720p"_s << u"h265"_s << all << 0;
    QTest::newRow("300p: nothing fits, the shortest") << u"300p"_s << u"any"_s << all << 8;
    QTest::newRow("2160p: everything fits, the tallest") << u"2160p"_s << u"any"_s << all << 7;
    QTest::newRow("only bytevc2 listed, H.264 asked: none")
        << u"best"_s << u"h264"_s << QList<VideoGear> { all.at(3) } << -1;
    QTest::newRow("nothing listed") << u"best"_s << u"any"_s << QList<VideoGear>() << -1;
}

void TestGearPreference::choosesTheRendition()
{
    QFETCH(QString, quality);
    QFETCH(QString, codecs);
    QFETCH(QList<VideoGear>, gears);
    QFETCH(int, chosen);
    const std::optional<GearPreference> preference = GearPreference::fromText(quality, codecs);
    QVERIFY(preference);
    const std::optional<qsizetype> index = preference->choose(gears);
    QCOMPARE(index.has_value(), chosen >= 0);
    if (index)
        QCOMPARE(gears.at(*index).urls, QStringList(QString::number(chosen)));
}

void TestGearPreference::readsTheWordsOfTheOptions_data()
{
    QTest::addColumn<QString>("quality");
    QTest::addColumn<QString>("codecs");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<int>("height");
    QTest::newRow("1080p") << u"1080p"_s << u"any"_s << true << 1080;
    QTest::newRow("no p") << u"1080"_s << u"any"_s << false << 0;
    QTest::newRow("0p") << u"0p"_s << u"any"_s << false << 0;
    QTest::newRow("capital P") << u"720P"_s << u"h264"_s << false << 0;
    QTest::newRow("unknown codec") << u"best"_s << u"av1"_s << false << 0;
    QTest::newRow("codec in capitals") << u"best"_s << u"H264"_s << false << 0;
    QTest::newRow("best") << u"best"_s << u"h265"_s << true << 0;
}

void TestGearPreference::readsTheWordsOfTheOptions()
{
    QFETCH(QString, quality);
    QFETCH(QString, codecs);
    QFETCH(bool, valid);
    QFETCH(int, height);
    const std::optional<GearPreference> preference = GearPreference::fromText(quality, codecs);
    QCOMPARE(preference.has_value(), valid);
    if (preference)
        QCOMPARE(preference->height(), height);
}

QTEST_GUILESS_MAIN(TestGearPreference)
#include "tst_gearpreference.moc"
