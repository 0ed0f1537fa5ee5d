#include "HistoryService.h"
#include "HistoryStore.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <thread>

using namespace Qt::StringLiterals;

namespace {

const QDateTime monday = QDateTime(QDate(2026, 12, 7), QTime(9, 0), Qt::UTC);

HistoryItem item(const QString &id, const QString &author, const QString &title, int minutes = 0)
{
    return { id, u"video"_s, author, title, monday.addSecs(60 * minutes), {} };
}

QByteArray hashOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly)
        ? QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256)
        : QByteArray();
}

// Runs \a statements on the file \a path through a connection of the test's own.
bool runSql(const QString &path, const QStringList &statements)
{
    bool ok = true;
    {
        QSqlDatabase database = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"test"_s);
        database.setDatabaseName(path);
        ok = database.open();
        QSqlQuery query(database);
        for (const QString &statement : statements)
            ok = ok && query.exec(statement);
    }
    QSqlDatabase::removeDatabase(u"test"_s);
    return ok;
}

QVariant firstValue(const QString &path, const QString &statement)
{
    QVariant value;
    {
        QSqlDatabase database = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"read"_s);
        database.setDatabaseName(path);
        QSqlQuery query(database);
        if (database.open() && query.exec(statement) && query.next())
            value = query.value(0);
    }
    QSqlDatabase::removeDatabase(u"read"_s);
    return value;
}

} // namespace

/*! The history file: its schema and migration, damaged files, searching and concurrent writers. */
class TestHistoryStore : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void newFileTakesTheSchema();
    void searchesTitleAuthorAndId_data();
    void searchesTitleAuthorAndId();
    void oneEntryPerItemAndPerFile();
    void savedAndStillThere();
    void olderSchemaIsMigrated();
    void fileThatIsNoDatabaseIsMovedAside_data();
    void fileThatIsNoDatabaseIsMovedAside();
    void newerSchemaIsLeftAlone();
    void twoConnectionsWriteAtOnce();
    void serviceAnswersFromItsThread();

private:
    QString m_path;
    std::unique_ptr<QTemporaryDir> m_folder;
};

void TestHistoryStore::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QCOMPARE(HistoryStore::defaultPath(),
             QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
                 + u"/Kivora/history.sqlite"_s);
}

void TestHistoryStore::init()
{
    m_folder = std::make_unique<QTemporaryDir>();
    QVERIFY(m_folder->isValid());
    m_path = m_folder->filePath(u"Kivora/history.sqlite"_s);
}

void TestHistoryStore::newFileTakesTheSchema()
{
    {
        HistoryStore store(m_path);
        QVERIFY2(store.open(), qPrintable(store.error()));
        QVERIFY(store.movedAsidePath().isEmpty());
        QVERIFY(store.recordItem(item(u"1"_s, u"a"_s, u"t"_s)));
    }
    QCOMPARE(firstValue(m_path, u"PRAGMA user_version"_s).toInt(), HistoryStore::schemaVersion);
    QCOMPARE(firstValue(m_path, u"PRAGMA journal_mode"_s).toString(), u"wal"_s);
    // Opening again changes nothing.
    HistoryStore again(m_path);
    QVERIFY2(again.open(), qPrintable(again.error()));
    QCOMPARE(again.search(QString()).size(), 1);
}

void TestHistoryStore::searchesTitleAuthorAndId_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("ids"); // the most recent first
    QTest::newRow("everything") << QString() << QStringList { u"3"_s, u"2"_s, u"7301"_s };
    QTest::newRow("a part of a title") << u"雨"_s << QStringList { u"7301"_s };
    QTest::newRow("title, any case") << u"CAT"_s << QStringList { u"3"_s, u"2"_s };
    QTest::newRow("author") << u"小鹿"_s << QStringList { u"7301"_s };
    QTest::newRow("ID") << u"730"_s << QStringList { u"7301"_s };
    QTest::newRow("% is a character") << u"100%"_s << QStringList { u"3"_s };
    QTest::newRow("_ is a character") << u"a_b"_s << QStringList { u"2"_s };
    QTest::newRow("nothing") << u"dog"_s << QStringList();
}

void TestHistoryStore::searchesTitleAuthorAndId()
{
    QFETCH(QString, text);
    QFETCH(QStringList, ids);
    HistoryStore store(m_path);
    QVERIFY2(store.open(), qPrintable(store.error()));
    QVERIFY(store.recordItem(item(u"7301"_s, u"小鹿乱撞"_s, u"春天的第一场雨"_s, 0)));
    QVERIFY(store.recordItem(item(u"2"_s, u"someone"_s, u"cat a_b"_s, 1)));
    QVERIFY(store.recordItem(item(u"3"_s, u"someone"_s, u"Cat 100%"_s, 2)));
    QStringList found;
    for (const HistoryItem &entry : store.search(text))
        found += entry.id;
    QCOMPARE(found, ids);
}

void TestHistoryStore::oneEntryPerItemAndPerFile()
{
    HistoryStore store(m_path);
    QVERIFY2(store.open(), qPrintable(store.error()));
    QVERIFY(store.recordItem(item(u"1"_s, u"old author"_s, u"old title"_s, 0)));
    QVERIFY(store.recordItem(item(u"1"_s, u"author"_s, u"title"_s, 5)));
    const QString path = m_folder->filePath(u"a.mp4"_s);
    QVERIFY(store.recordFile({ u"1"_s, path, 10, u"video"_s, monday, false }));
    QVERIFY(store.recordFile({ u"1"_s, path, 20, u"video"_s, monday.addSecs(60), false }));
    // A file of an item never resolved has nothing to belong to.
    QVERIFY(!store.recordFile({ u"9"_s, path + u"2"_s, 1, u"video"_s, monday, false }));
    QVERIFY(!store.error().isEmpty());

    const QList<HistoryItem> items = store.search(QString());
    QCOMPARE(items.size(), 1);
    QCOMPARE(items.constFirst().title, u"title"_s);
    QCOMPARE(items.constFirst().resolvedAt, monday.addSecs(300));
    const QList<HistoryFile> files = store.files(u"1"_s);
    QCOMPARE(files.size(), 1);
    QCOMPARE(files.constFirst().size, 20);
    QCOMPARE(firstValue(m_path, u"SELECT count(*) FROM files"_s).toInt(), 1);
}

void TestHistoryStore::savedAndStillThere()
{
    HistoryStore store(m_path);
    QVERIFY2(store.open(), qPrintable(store.error()));
    QVERIFY(store.recordItem(item(u"1"_s, u"a"_s, u"t"_s)));
    QVERIFY(store.recordItem(item(u"2"_s, u"a"_s, u"never saved"_s)));
    const QString kept = m_folder->filePath(u"kept.jpg"_s);
    const QString gone = m_folder->filePath(u"gone.jpg"_s);
    for (const QString &path : { kept, gone }) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    QVERIFY(QFile::remove(gone));
    QVERIFY(store.recordFile({ u"1"_s, kept, 0, u"image"_s, monday.addSecs(1), false }));
    QVERIFY(store.recordFile({ u"1"_s, gone, 0, u"image"_s, monday.addSecs(2), false }));

    QCOMPARE(store.savedAt(u"1"_s), std::optional<QDateTime>(monday.addSecs(2)));
    QCOMPARE(store.savedAt(u"2"_s), std::nullopt);
    const QList<HistoryItem> items = store.search(u"never"_s);
    QCOMPARE(items.size(), 1);
    QVERIFY(items.constFirst().savedAt.isNull());
    QCOMPARE(store.search(u"t"_s).constLast().savedAt, monday.addSecs(2));
    const QList<HistoryFile> files = store.files(u"1"_s);
    QCOMPARE(files.size(), 2);
    QCOMPARE(files.at(0).path, kept);
    QVERIFY(files.at(0).exists);
    QCOMPARE(files.at(1).path, gone);
    QVERIFY(!files.at(1).exists);
}

// The first schema had no time of saving and could list a path twice.
void TestHistoryStore::olderSchemaIsMigrated()
{
    QVERIFY(QDir().mkpath(QFileInfo(m_path).absolutePath()));
    QVERIFY(runSql(m_path,
                   { u"CREATE TABLE items (id TEXT PRIMARY KEY, kind TEXT NOT NULL, author TEXT "
                     "NOT NULL, title TEXT NOT NULL, resolved_at INTEGER NOT NULL)"_s,
                     u"CREATE TABLE files (item_id TEXT NOT NULL REFERENCES items(id), path TEXT "
                     "NOT NULL, size INTEGER NOT NULL, kind TEXT NOT NULL)"_s,
                     u"INSERT INTO items VALUES ('1', 'gallery', 'a', 'pictures', %1)"_s.arg(
                         monday.toMSecsSinceEpoch()),
                     u"INSERT INTO files VALUES ('1', '/p/1.jpg', 5, 'image')"_s,
                     u"INSERT INTO files VALUES ('1', '/p/1.jpg', 6, 'image')"_s,
                     u"INSERT INTO files VALUES ('1', '/p/2.jpg', 7, 'image')"_s,
                     u"PRAGMA user_version = 1"_s }));

    HistoryStore store(m_path);
    QVERIFY2(store.open(), qPrintable(store.error()));
    QCOMPARE(firstValue(m_path, u"PRAGMA user_version"_s).toInt(), HistoryStore::schemaVersion);
    const QList<HistoryItem> items = store.search(u"pictures"_s);
    QCOMPARE(items.size(), 1);
    QCOMPARE(items.constFirst().kind, u"gallery"_s);
    QCOMPARE(items.constFirst().savedAt, monday);
    const QList<HistoryFile> files = store.files(u"1"_s);
    QCOMPARE(files.size(), 2);
    QCOMPARE(files.at(0).path, u"/p/1.jpg"_s);
    QCOMPARE(files.at(0).size, 6); // the later entry of the path
    QCOMPARE(files.at(1).savedAt, monday);
    // The path is one entry from now on.
    QVERIFY(store.recordFile({ u"1"_s, u"/p/2.jpg"_s, 8, u"image"_s, monday, false }));
    QCOMPARE(store.files(u"1"_s).size(), 2);
}

void TestHistoryStore::fileThatIsNoDatabaseIsMovedAside_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("text") << QByteArray("this is not a database\n");
    QByteArray header("SQLite format 3");
    header.append('\0');
    QTest::newRow("a database's header, then garbage") << header + QByteArray(4080, '\xff');
}

void TestHistoryStore::fileThatIsNoDatabaseIsMovedAside()
{
    QFETCH(QByteArray, content);
    QVERIFY(QDir().mkpath(QFileInfo(m_path).absolutePath()));
    QFile file(m_path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
    file.close();

    HistoryStore store(m_path);
    QVERIFY2(store.open(), qPrintable(store.error()));
    const QString aside = store.movedAsidePath();
    QVERIFY2(aside.startsWith(m_path + u".damaged-"_s), qPrintable(aside));
    QFile moved(aside);
    QVERIFY(moved.open(QIODevice::ReadOnly));
    QCOMPARE(moved.readAll(), content);
    QVERIFY(store.recordItem(item(u"1"_s, u"a"_s, u"t"_s)));
    QCOMPARE(store.search(QString()).size(), 1);
}

void TestHistoryStore::newerSchemaIsLeftAlone()
{
    QVERIFY(QDir().mkpath(QFileInfo(m_path).absolutePath()));
    QVERIFY(runSql(m_path, { u"CREATE TABLE future (x)"_s, u"PRAGMA user_version = 99"_s }));
    const QByteArray before = hashOf(m_path);
    {
        HistoryStore store(m_path);
        QVERIFY(!store.open());
        QVERIFY2(store.error().contains(u"newer"_s), qPrintable(store.error()));
        QVERIFY(store.movedAsidePath().isEmpty());
    }
    QCOMPARE(firstValue(m_path, u"PRAGMA user_version"_s).toInt(), 99);
    QCOMPARE(
        firstValue(m_path, u"SELECT count(*) FROM sqlite_master WHERE name = 'items'"_s).toInt(),
        0);
    QCOMPARE(hashOf(m_path), before);
}

// Two connections, as two programs would have, write at once; none of their writes is lost.
void TestHistoryStore::twoConnectionsWriteAtOnce()
{
    constexpr int perWriter = 150;
    std::atomic<int> failures { 0 };
    auto writer = [this, &failures](const QString &prefix) {
        HistoryStore store(m_path);
        if (!store.open()) {
            ++failures;
            return;
        }
        for (int i = 0; i < perWriter; ++i) {
            const QString id = prefix + QString::number(i);
            if (!store.recordItem(item(id, prefix, u"title"_s, i))
                || !store.recordFile({ id, u"/f/"_s + id, i, u"video"_s, monday, false }))
                ++failures;
        }
    };
    std::thread first(writer, u"a"_s);
    std::thread second(writer, u"b"_s);
    first.join();
    second.join();
    QCOMPARE(failures.load(), 0);
    QCOMPARE(firstValue(m_path, u"SELECT count(*) FROM items"_s).toInt(), 2 * perWriter);
    QCOMPARE(firstValue(m_path, u"SELECT count(*) FROM files"_s).toInt(), 2 * perWriter);
}

void TestHistoryStore::serviceAnswersFromItsThread()
{
    HistoryService service(m_path);
    QSignalSpy opened(&service, &HistoryService::opened);
    QSignalSpy found(&service, &HistoryService::found);
    QSignalSpy listed(&service, &HistoryService::filesListed);
    service.open();
    service.recordItem(item(u"5"_s, u"a"_s, u"title"_s));
    service.recordFile({ u"5"_s, u"/x.mp4"_s, 3, u"video"_s, monday, false });
    service.search(u"tit"_s);
    service.listFiles(u"5"_s);
    QTRY_COMPARE(listed.size(), 1);
    QCOMPARE(opened.size(), 1);
    QCOMPARE(opened.constFirst().at(0).toBool(), true);
    QCOMPARE(found.size(), 1);
    const auto items = found.constFirst().at(1).value<QList<HistoryItem>>();
    QCOMPARE(items.size(), 1);
    QCOMPARE(items.constFirst().id, u"5"_s);
    const auto files = listed.constFirst().at(1).value<QList<HistoryFile>>();
    QCOMPARE(files.size(), 1);
    QCOMPARE(files.constFirst().path, u"/x.mp4"_s);
}

QTEST_GUILESS_MAIN(TestHistoryStore)
#include "tst_historystore.moc"
