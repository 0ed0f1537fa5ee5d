// Writes the fuzz targets' seed inputs, taken from the sample platform: its share texts and links,
// its share pages, its item endpoint's answers, download names over its media, and name
// templates over its items.
// Usage: make_seed_corpus OUTPUT_FOLDER
#include "NetworkAccess.h"
#include "SamplePlatform.h"
#include "SharePage.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSslCertificate>

#include <cstdio>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

bool writeSeed(const QString &folder, int number, const QByteArray &bytes)
{
    QFile file(folder + u"/seed-"_s + QString::number(number));
    return QDir().mkpath(folder) && file.open(QIODevice::WriteOnly)
        && file.write(bytes) == bytes.size();
}

bool writeSeeds(const QString &folder, const QList<QByteArray> &seeds)
{
    for (qsizetype i = 0; i < seeds.size(); ++i) {
        if (!writeSeed(folder, int(i), seeds.at(i)))
            return false;
    }
    return true;
}

QList<QByteArray> shareTexts(const SamplePlatform &platform)
{
    QList<QByteArray> seeds;
    for (const SamplePlatform::Item &item : platform.items()) {
        seeds << platform.shareText(item).toUtf8() << platform.shortLink(item).toUtf8()
              << item.videoId.toUtf8()
              << (platform.endpoints().webOrigin + u"/aweme/v1/play/?video_id="_s + item.playUri
                  + u"&line=1"_s)
                     .toUtf8();
    }
    return seeds;
}

QList<QByteArray> sharePages(const SamplePlatform &platform)
{
    QList<QByteArray> seeds;
    for (const SamplePlatform::Item &item : platform.items()) {
        const SharePage page(item, platform.endpoints());
        seeds << page.firstHalf() + page.secondHalf() << page.routerData();
    }
    return seeds;
}

// What the item endpoint answers for each item, with and without "request_source=200" (a
// gallery's images come only with it), as the platform sends it.
QList<QByteArray> itemAnswers(const SamplePlatform &platform)
{
    NetworkAccess::addCaCertificates(QSslCertificate::fromData(SamplePlatform::caCertificates()));
    QNetworkAccessManager manager;
    QList<QByteArray> seeds;
    for (const SamplePlatform::Item &item : platform.items()) {
        for (const bool withRequestSource : { false, true }) {
            const QUrl url(platform.itemEndpointUrl(item.videoId, withRequestSource));
            std::unique_ptr<QNetworkReply> reply(manager.get(NetworkAccess::request(url)));
            QEventLoop loop;
            QObject::connect(reply.get(), &QNetworkReply::finished, &loop, &QEventLoop::quit);
            loop.exec();
            seeds << reply->readAll();
        }
    }
    return seeds;
}

QList<QByteArray> downloadNames()
{
    const QByteArray video = SamplePlatform::sampleVideo().left(64);
    const QList<QByteArray> dispositions = {
        "attachment; filename=\"clip.mp4\"",
        "attachment; filename=run.desktop",
        "attachment; filename*=UTF-8''%E6%8A%96%E9%9F%B3%2F..%2F%E8%A7%86%E9%A2%91.mp4",
        "attachment; filename=\"a;b \\\"c\\\".mp4\"; size=3",
        "inline; filename=\"../../x\"",
        "",
    };
    const QList<QByteArray> paths = { "media/sample.mp4", "aweme/v1/play/?video_id=v0200", "" };
    QList<QByteArray> seeds;
    for (const QByteArray &disposition : dispositions) {
        for (const QByteArray &path : paths)
            seeds << disposition + '\n' + path + '\n' + video;
    }
    return seeds;
}

// Templates kivora-cli is given, each with the fields of every item: a video's, and a gallery
// picture's (an index, a picture's extension). Parts are split by the byte 0xFF.
QList<QByteArray> nameTemplates(const SamplePlatform &platform)
{
    const QList<QByteArray> templates = {
        "",
        "{id}.{ext}",
        "{name} - {title} [{id}].{ext}",
        "{type}_{id}_{index}.{ext}",
        "{title}{title}{title} {id}",
        "clip.mp4",
        "{unknown}.{ext}",
    };
    QList<QByteArray> seeds;
    for (const SamplePlatform::Item &item : platform.items()) {
        const bool gallery = !item.imageUrls.isEmpty();
        const QList<QByteArray> fields = {
            item.videoId.toUtf8(),         item.nickname.toUtf8(), item.description.toUtf8(),
            gallery ? "gallery" : "video", gallery ? "1" : "",     gallery ? "jpg" : "mp4",
        };
        for (const QByteArray &text : templates)
            seeds << text + '\xff' + fields.join('\xff');
    }
    return seeds;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() != 2) {
        std::fprintf(stderr, "usage: make_seed_corpus OUTPUT_FOLDER\n");
        return 2;
    }
    const QString out = arguments.at(1);
    // The addresses need real ports, and the item endpoint answers over the network.
    SamplePlatform platform;
    if (!platform.start())
        return 1;
    const bool written = writeSeeds(out + u"/fuzz_sharetext"_s, shareTexts(platform))
        && writeSeeds(out + u"/fuzz_routerdata"_s, sharePages(platform))
        && writeSeeds(out + u"/fuzz_itemanswer"_s, itemAnswers(platform))
        && writeSeeds(out + u"/fuzz_suggestedfilename"_s, downloadNames())
        && writeSeeds(out + u"/fuzz_filenametemplate"_s, nameTemplates(platform));
    return written ? 0 : 1;
}
