// Share page body → Video info record on pages made big on purpose: a gallery that lists hundreds
// of thousands of images and a description of many megabytes. Prints, per page, the time and the
// peak memory the record builder takes beside the page, and how many images the record keeps.
// Run from a release build.
//
//   bench_parser_big_pages           (each page is read in a child: bench_parser_big_pages KIND
//   SIZE)
//
// Targets: time grows linearly with the page (the milliseconds per MB of the largest page within
// 2x those of the smallest of its kind), the peak stays under 3x the page size, and a gallery
// keeps at most 1000 images. The exit status is 1 when a target is missed.

#include "VideoParser.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLoggingCategory>
#include <QProcess>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr double allowedPeakRatio = 3.0;
constexpr double allowedSlowdown = 2.0;
constexpr qsizetype maximumImages = 1000;

QByteArray pageAround(const QByteArray &item)
{
    return "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>抖音</title></head><body>"
           "<script>window._ROUTER_DATA = {\"loaderData\":{\"video_(id)\\u002Fpage\":"
           "{\"videoInfoRes\":{\"item_list\":["
        + item + "]}}}};</script></body></html>\n";
}

// A gallery of \a count images, about 22 bytes each, as a hostile page would list them.
QByteArray galleryPage(int count)
{
    QByteArray item = "{\"author\":{\"nickname\":\"图集\"},\"desc\":\"many\",\"images\":[";
    item.reserve(item.size() + qsizetype(count) * 24 + 16);
    for (int i = 0; i < count; ++i) {
        if (i > 0)
            item += ',';
        item += "{\"url_list\":[\"i" + QByteArray::number(i % 1000) + "\"]}";
    }
    return pageAround(item + "]}");
}

// A video whose description is \a bytes long: mostly ASCII (two bytes a character once decoded),
// with an escaped slash now and then.
QByteArray titlePage(qsizetype bytes)
{
    const QByteArray piece = "the first rain of spring, 春雨 \\u002F ";
    QByteArray title;
    title.reserve(bytes + piece.size());
    while (title.size() < bytes)
        title += piece;
    return pageAround("{\"author\":{\"nickname\":\"小鹿\"},\"desc\":\"" + title
                      + "\",\"video\":{\"play_addr\":{\"uri\":\"v0200\"}}}");
}

qint64 statusKiB(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(qstrlen(field)).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

// Starts a new peak of the resident memory (Linux: 5 into clear_refs resets VmHWM).
bool resetPeak()
{
    QFile clearRefs(QStringLiteral("/proc/self/clear_refs"));
    return clearRefs.open(QIODevice::WriteOnly) && clearRefs.write("5") == 1;
}

struct Figures
{
    double pageMB = 0;
    double ms = 0;
    double peakMB = 0; //!< resident memory at the peak beyond what the page already held
    qsizetype images = 0;
    bool read = false;
};

// In the child process: builds the page of \a kind and \a size, reads it and prints its figures.
int measureInThisProcess(const QString &kind, qsizetype size)
{
    const QByteArray page = kind == u"gallery" ? galleryPage(int(size)) : titlePage(size);
    const VideoParser parser;
    if (!resetPeak())
        return 2;
    const qint64 before = statusKiB("VmRSS:");
    QElapsedTimer timer;
    timer.start();
    const VideoInfo record = parser.videoInfoFromPageBody(page);
    const double ms = double(timer.nsecsElapsed()) / 1e6;
    const qint64 peakKiB = statusKiB("VmHWM:") - before;
    std::printf("%lld %.3f %lld %lld %d\n", static_cast<long long>(page.size()), ms,
                static_cast<long long>(peakKiB),
                static_cast<long long>(record.images().value_or(QStringList()).size()),
                record.isSuccess() ? 1 : 0);
    return 0;
}

// Each page is read in a process of its own, so that no memory an earlier page freed (and the
// allocator kept) hides the peak. Big blocks are mapped and unmapped at once there
// (MALLOC_MMAP_THRESHOLD_), so the resident memory follows what the reader holds.
Figures measure(const QString &kind, qsizetype size)
{
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("MALLOC_MMAP_THRESHOLD_"), QStringLiteral("131072"));
    child.setProcessEnvironment(environment);
    child.start(QCoreApplication::applicationFilePath(), { kind, QString::number(size) });
    Figures figures;
    if (!child.waitForFinished(300000) || child.exitCode() != 0) {
        std::fprintf(stderr, "measuring the %s page failed\n", qPrintable(kind));
        return figures;
    }
    const QList<QByteArray> values = child.readAllStandardOutput().trimmed().split(' ');
    figures.pageMB = values.value(0).toDouble() / 1e6;
    figures.ms = values.value(1).toDouble();
    figures.peakMB = values.value(2).toDouble() * 1024 / 1e6;
    figures.images = values.value(3).toLongLong();
    figures.read = values.value(4) == "1";
    return figures;
}

bool report(const char *kind, const std::vector<Figures> &rows)
{
    bool met = true;
    for (const Figures &row : rows) {
        const double ratio = row.peakMB / row.pageMB;
        std::printf("  %-8s %5.1f MB page: %7.1f ms (%5.2f ms per MB), peak %6.1f MB (%5.2fx the "
                    "page), %lld images kept%s\n",
                    kind, row.pageMB, row.ms, row.ms / row.pageMB, row.peakMB, ratio,
                    static_cast<long long>(row.images), row.read ? "" : ", NO RECORD");
        met = met && row.read && ratio < allowedPeakRatio && row.images <= maximumImages;
    }
    const double first = rows.front().ms / rows.front().pageMB;
    const double last = rows.back().ms / rows.back().pageMB;
    const bool linear = last < allowedSlowdown * first;
    std::printf("  %s: ms per MB from the smallest to the largest page %.2f -> %.2f (%s)\n", kind,
                first, last, linear ? "linear" : "NOT LINEAR");
    return met && linear;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    // Silenced, as a user who turns the diagnostics off has them.
    QLoggingCategory::setFilterRules(QStringLiteral("kivora.info=false"));
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() == 3)
        return measureInThisProcess(arguments.at(1), arguments.at(2).toLongLong());

    std::vector<Figures> galleries;
    for (const int count : { 150000, 300000, 600000 })
        galleries.push_back(measure(QStringLiteral("gallery"), count));
    std::vector<Figures> titles;
    for (const qsizetype megabytes : { 4, 8, 15 })
        titles.push_back(measure(QStringLiteral("title"), megabytes * 1000 * 1000));

    std::printf("record builder on big pages (peak: resident memory beyond the page):\n");
    const bool galleriesMet = report("gallery", galleries);
    const bool titlesMet = report("title", titles);
    const bool met = galleriesMet && titlesMet;
    std::printf("targets (peak under %.0fx the page, linear time, at most %lld images): %s\n",
                allowedPeakRatio, static_cast<long long>(maximumImages), met ? "met" : "MISSED");
    return met ? 0 : 1;
}
