#include "MediaStructure.h"
#include "SamplePlatform.h"
#include "TestMedia.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// A JPEG whose APP1 segment holds a whole thumbnail JPEG, end-of-image marker included.
QByteArray jpegWithThumbnail(const QByteArray &picture, const QByteArray &thumbnail)
{
    QByteArray segment
        = "\xFF\xE1" + QByteArray(2, '\0') + "Exif" + QByteArray(2, '\0') + thumbnail;
    qToBigEndian<quint16>(quint16(segment.size() - 2), segment.data() + 2);
    return picture.left(2) + segment + picture.mid(2);
}

bool endsCleanly(const QByteArray &bytes, qsizetype piece)
{
    MediaStructure structure;
    for (qsizetype i = 0; i < bytes.size(); i += piece)
        structure.feed(bytes.constData() + i, std::min(piece, bytes.size() - i));
    return structure.endsCleanly();
}

} // namespace

/*! The end of a file told by its own structure, for bodies sent without a length. */
class TestMediaStructure : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void wholeFilesOnly_data();
    void wholeFilesOnly();
};

void TestMediaStructure::wholeFilesOnly_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("whole");
    const QByteArray video = SamplePlatform::sampleVideo();
    const QByteArray jpeg = TestMedia::sampleJpeg();
    const QByteArray png = TestMedia::png();
    const QByteArray webp = TestMedia::webp();
    QVERIFY(jpeg.endsWith("\xFF\xD9"));
    const QByteArray withThumbnail = jpegWithThumbnail(jpeg, TestMedia::sampleJpeg(2));
    const qsizetype thumbnailEnd = 2 + 10 + TestMedia::sampleJpeg(2).size();

    const auto add = [](const char *name, const QByteArray &bytes, bool whole) {
        QTest::newRow(name) << bytes << whole;
    };
    add("MP4", video, true);
    add("MP4 cut in its last box", video.chopped(1), false);
    add("MP4 with a byte after its last box", video + 'x', false);
    add("JPEG", jpeg, true);
    add("JPEG cut in its scan", jpeg.left(jpeg.size() / 2), false);
    add("JPEG cut inside its end marker", jpeg.chopped(1), false);
    add("JPEG with a byte after its end", jpeg + '\0', false);
    add("JPEG with a thumbnail", withThumbnail, true);
    add("JPEG cut right after its thumbnail's end", withThumbnail.left(thumbnailEnd), false);
    add("PNG", png, true);
    add("PNG cut before IEND", png.left(png.size() - 12), false);
    add("PNG cut in IEND's checksum", png.chopped(2), false);
    add("PNG with bytes after IEND", png + "junk", false);
    add("WebP", webp, true);
    add("WebP cut", webp.chopped(3), false);
    add("WebP with bytes after its RIFF size", webp + "ab", false);
    add("text", QByteArray("<html><body>not media</body></html>"), false);
    add("fewer bytes than any signature", QByteArray("\xFF\xD8", 2), false);
}

// Fed at once, in odd pieces and byte by byte, the verdict is the same.
void TestMediaStructure::wholeFilesOnly()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, whole);
    for (const qsizetype piece : { bytes.size(), qsizetype(7), qsizetype(1) })
        QVERIFY2(endsCleanly(bytes, std::max<qsizetype>(piece, 1)) == whole,
                 qPrintable(u"in pieces of %1 bytes"_s.arg(piece)));
}

QTEST_GUILESS_MAIN(TestMediaStructure)
#include "tst_mediastructure.moc"
