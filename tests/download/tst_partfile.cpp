#include "PartFile.h"
#include "ResumeValidators.h"
#include "TestFiles.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using TestFiles::entries;

namespace {

bool createAged(const QString &path, int ageHours)
{
    QFile file(path);
    // Written out before the time is set: a later flush would set it to now.
    return file.open(QIODevice::WriteOnly) && file.write("bytes") == 5 && file.flush()
        && file.setFileTime(QDateTime::currentDateTimeUtc().addSecs(-qint64(ageHours) * 3600),
                            QFileDevice::FileModificationTime);
}

} // namespace

class TestPartFile : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void staleFilesGo_data();
    void staleFilesGo();
    void validatorsComeBackOnlyWhole_data();
    void validatorsComeBackOnlyWhole();
};

void TestPartFile::staleFilesGo_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("ageHours");
    QTest::addColumn<bool>("held"); // by a download that runs
    QTest::addColumn<bool>("gone");
    QTest::newRow("old .part") << u"a.mp4.part"_s << 25 << false << true;
    QTest::newRow("fresh .part") << u"a.mp4.part"_s << 23 << false << false;
    QTest::newRow("old .part of a running download") << u"a.mp4.part"_s << 48 << true << false;
    QTest::newRow("old validators without their .part")
        << u"b.mp4.part.meta"_s << 25 << false << true;
    QTest::newRow("fresh validators without their .part")
        << u"b.mp4.part.meta"_s << 2 << false << false;
    QTest::newRow("old saved file") << u"c.mp4"_s << 100 << false << false;
    QTest::newRow("old file named like a .part inside") << u"d.part.mp4"_s << 100 << false << false;
}

// Stale ".part" files go with their validators; saved files, fresh ones and those a download
// holds stay.
void TestPartFile::staleFilesGo()
{
    QFETCH(QString, name);
    QFETCH(int, ageHours);
    QFETCH(bool, held);
    QFETCH(bool, gone);
    QTemporaryDir dir;
    const bool isPart = name.endsWith(PartFile::suffix());
    QVERIFY(createAged(dir.filePath(name), ageHours));
    if (isPart)
        QVERIFY(createAged(dir.filePath(name + PartFile::validatorsSuffix()), ageHours));
    QString error;
    const std::unique_ptr<PartFile> download = held
        ? PartFile::claim(dir.path(), name.chopped(PartFile::suffix().size()),
                          PartFile::Existing::Resume, &error)
        : nullptr;
    QVERIFY2(!held || (download && download->path() == dir.filePath(name)), qPrintable(error));

    const int removed = PartFile::removeStale(dir.path());
    QCOMPARE(removed, gone && isPart ? 1 : 0);
    QCOMPARE(QFile::exists(dir.filePath(name)), !gone);
    if (isPart)
        QCOMPARE(QFile::exists(dir.filePath(name + PartFile::validatorsSuffix())), !gone);
}

void TestPartFile::validatorsComeBackOnlyWhole_data()
{
    QTest::addColumn<QByteArray>("kept"); // the file beside the ".part"
    QTest::addColumn<QByteArray>("answer"); // a resumed answer's validators, in the same form
    QTest::addColumn<bool>("sameVersion");
    QTest::addColumn<QByteArray>("ifRange");
    const QByteArray both
        = "etag: \"a1\"\nlast-modified: Thu, 01 Jan 2026 00:00:00 GMT\ntotal: 10\n";
    QTest::newRow("same version") << both << both << true << "\"a1\""_ba;
    QTest::newRow("other ETag") << both << QByteArray(both).replace("a1", "b2") << false
                                << "\"a1\""_ba;
    QTest::newRow("other size") << both << QByteArray(both).replace("10", "11") << false
                                << "\"a1\""_ba;
    QTest::newRow("ETag missing in the answer")
        << both << "last-modified: Thu, 01 Jan 2026 00:00:00 GMT\ntotal: 10\n"_ba << false
        << "\"a1\""_ba;
    QTest::newRow("weak ETag: the date stands in If-Range")
        << "etag: W/\"a1\"\nlast-modified: Fri, 02 Jan 2026 00:00:00 GMT\n"_ba
        << "etag: W/\"a1\"\nlast-modified: Fri, 02 Jan 2026 00:00:00 GMT\n"_ba << true
        << "Fri, 02 Jan 2026 00:00:00 GMT"_ba;
    QTest::newRow("weak ETag alone: no If-Range") << "etag: W/\"a1\"\n"_ba
                                                  << "etag: W/\"a1\"\n"_ba << true << QByteArray();
    QTest::newRow("a total alone") << "total: 10\n"_ba
                                   << "total: 12\n"_ba << false << QByteArray();
    QTest::newRow("control characters: no ETag") << "etag: \"a\x1b[2J\"\ntotal: 5\n"_ba
                                                 << "total: 5\n"_ba << true << QByteArray();
    QTest::newRow("negative total: none") << "total: -4\n"_ba
                                          << "total: 9\n"_ba << true << QByteArray();
    QTest::newRow("too large to be ours")
        << "etag: \"a1\"\n"_ba + QByteArray(ResumeValidators::maximumSerializedSize, 'x')
        << "etag: \"b2\"\n"_ba << true << QByteArray();
}

// What a ".part"'s validators file holds comes back through a claim that resumes it, and
// anything damaged or foreign in it counts for nothing rather than for a wrong version.
void TestPartFile::validatorsComeBackOnlyWhole()
{
    QFETCH(QByteArray, kept);
    QFETCH(QByteArray, answer);
    QFETCH(bool, sameVersion);
    QFETCH(QByteArray, ifRange);
    QTemporaryDir dir;
    QVERIFY(createAged(dir.filePath(u"v.mp4.part"_s), 0));
    QFile validators(dir.filePath(u"v.mp4.part.meta"_s));
    QVERIFY(validators.open(QIODevice::WriteOnly) && validators.write(kept) == kept.size());
    validators.close();

    QString error;
    const std::unique_ptr<PartFile> part
        = PartFile::claim(dir.path(), u"v.mp4"_s, PartFile::Existing::Resume, &error);
    QVERIFY2(part, qPrintable(error));
    QCOMPARE(part->size(), qint64(5));
    const ResumeValidators loaded = part->validators();
    QCOMPARE(loaded.sameVersionAs(ResumeValidators::parse(answer)), sameVersion);
    QCOMPARE(loaded.ifRange(), ifRange);
    QCOMPARE(ResumeValidators::parse(loaded.serialized()).serialized(), loaded.serialized());

    // Starting over forgets them, on disk too.
    QVERIFY(part->truncate());
    QCOMPARE(part->validators().serialized(), QByteArray());
    QCOMPARE(entries(dir.path()), QStringList { u"v.mp4.part"_s });
}

QTEST_GUILESS_MAIN(TestPartFile)
#include "tst_partfile.moc"
