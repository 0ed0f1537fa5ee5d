#include "GallerySections.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>

#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("hud-gallery"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Renders the HUD kit's views into PNG files at twice the pixel density."));
    parser.addHelpOption();
    const QCommandLineOption outOption(QStringLiteral("out"),
                                       QStringLiteral("Directory to write the pictures into."),
                                       QStringLiteral("DIR"));
    parser.addOption(outOption);
    parser.process(app);
    if (!parser.isSet(outOption)) {
        std::fputs("hud-gallery: --out DIR is required\n", stderr);
        return 2;
    }
    QDir out(parser.value(outOption));
    if (!out.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "hud-gallery: cannot create %s\n", qPrintable(out.path()));
        return 1;
    }

    int failures = 0;
    failures += renderBuildingBlocks(out);
    failures += renderHud(out);
    if (failures > 0) {
        std::fprintf(stderr, "hud-gallery: %d pictures could not be written\n", failures);
        return 1;
    }
    return 0;
}
