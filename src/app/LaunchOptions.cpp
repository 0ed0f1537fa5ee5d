#include "LaunchOptions.h"

#include "DemoPlatform.h"
#include "EndpointOptions.h"
#include "InterfaceLanguage.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>
#include <cstdlib>

using namespace Qt::StringLiterals;

namespace {

struct CommandLine
{
    QCommandLineParser parser;
    EndpointOptions endpointOptions;
    QCommandLineOption demo { u"demo"_s,
                              u"Start the sample platform in-process and use it, with a sample "
                              u"share text in the field. Not with the endpoint options."_s };
    QCommandLineOption language { u"lang"_s,
                                  u"The language of the window: zh_CN (Simplified Chinese) or en "
                                  u"(English). Default: the system's."_s,
                                  u"language"_s };
    QCommandLineOption screenshot { u"screenshot"_s, u"Save a picture of the window."_s,
                                    u"file"_s };
    QCommandLineOption screenshotScene { u"screenshot-scene"_s, u"What the screenshot shows."_s,
                                         u"scene"_s };

    CommandLine()
    {
        parser.setApplicationDescription(
            u"Resolve Douyin share texts to play addresses, play and save the videos."_s);
        parser.addHelpOption();
        parser.addVersionOption();
        screenshot.setFlags(QCommandLineOption::HiddenFromHelp);
        screenshotScene.setFlags(QCommandLineOption::HiddenFromHelp);
        if (DemoPlatform::isAvailable())
            parser.addOption(demo);
        parser.addOption(language);
        parser.addOption(screenshot);
        parser.addOption(screenshotScene);
        endpointOptions.addOptions(parser);
    }

    // The endpoint options are read (and a CA file trusted) only after a successful parse.
    std::optional<LaunchOptions> read(const QStringList &arguments, QString *errorText)
    {
        if (!parser.parse(arguments)) {
            *errorText = parser.errorText();
            return std::nullopt;
        }
        if (!checkDemo(errorText) || !endpointOptions.apply(parser, errorText))
            return std::nullopt;
        LaunchOptions options;
        options.endpoints = endpointOptions.endpoints();
        options.demo = parser.isSet(demo);
        options.screenshotPath = parser.value(screenshot);
        if (parser.isSet(language)) {
            options.language = InterfaceLanguage::fromName(parser.value(language));
            if (!options.language) {
                *errorText = u"--lang: unknown language \"%1\"; known: %2"_s.arg(
                    parser.value(language), InterfaceLanguage::available().join(u", "_s));
                return std::nullopt;
            }
        }
        if (parser.isSet(screenshotScene)) {
            options.screenshotScene = parser.value(screenshotScene);
            if (!LaunchOptions::screenshotScenes().contains(options.screenshotScene)) {
                *errorText = u"--screenshot-scene: one of %1"_s.arg(
                    LaunchOptions::screenshotScenes().join(u", "_s));
                return std::nullopt;
            }
        }
        return options;
    }

    // The demo points every request at its own platform: addresses given with it would be
    // silently dropped, so the combination is refused.
    bool checkDemo(QString *errorText) const
    {
        if (!parser.isSet(demo))
            return true;
        const QStringList endpointNames { u"short-link-host"_s, u"share-origin"_s,
                                          u"web-origin"_s };
        for (const QString &name : endpointNames) {
            if (parser.isSet(name)) {
                *errorText = u"--demo uses the sample platform's own addresses; it cannot be "
                             u"combined with --"_s
                    + name;
                return false;
            }
        }
        return true;
    }
};

// Qt's own options are single-dash words (-platform, -style, …), which only QApplication takes
// out; ours are long options, and the single-dash ones only help and version. --help-all lists
// the options of the application object, so it waits for the QApplication too.
bool leftToTheApplication(const QStringList &arguments)
{
    const QStringList ownShortOptions { u"-h"_s, u"-?"_s, u"-v"_s };
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (argument == u"--"_s)
            return false;
        if (argument == u"--help-all"_s
            || (argument.startsWith(u'-') && !argument.startsWith(u"--"_s)
                && !ownShortOptions.contains(argument)))
            return true;
    }
    return false;
}

} // namespace

std::optional<LaunchOptions> LaunchOptions::fromCommandLine(int &argc, char **argv)
{
    // A core application only: it gives the arguments, the program name for the help, and the
    // TLS backend a CA file is read with.
    const QCoreApplication commandLine(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (!leftToTheApplication(arguments))
        return fromArguments(arguments);
    // The list of Qt's options needs the application object, which needs a platform: the
    // offscreen one lists them without a display (unless the line names a platform itself).
    if (arguments.contains(u"--help-all"_s) && !arguments.contains(u"-platform"_s))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    return std::nullopt;
}

LaunchOptions LaunchOptions::fromArguments(const QStringList &arguments)
{
    CommandLine commandLine;
    // Help and version come before the values are checked: the parser prints them and ends the
    // process. (Its own handling of a usage error would exit with status 1.)
    if (commandLine.parser.parse(arguments))
        commandLine.parser.process(arguments);
    QString errorText;
    const std::optional<LaunchOptions> options = commandLine.read(arguments, &errorText);
    if (!options) {
        std::fprintf(stderr, "%s\n", qPrintable(errorText));
        std::exit(2);
    }
    return *options;
}

QStringList LaunchOptions::screenshotScenes()
{
    return { u"video"_s, u"gallery"_s, u"download"_s, u"failure"_s };
}

std::optional<LaunchOptions> LaunchOptions::parse(const QStringList &arguments, QString *errorText)
{
    return CommandLine().read(arguments, errorText);
}
