#include "LaunchOptions.h"

#include "EndpointOptions.h"

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
                              u"share text in the field."_s };
    QCommandLineOption screenshot { u"screenshot"_s, u"Save a picture of the window."_s,
                                    u"file"_s };

    CommandLine()
    {
        parser.setApplicationDescription(
            u"Resolve Douyin share texts to play addresses, play and save the videos."_s);
        parser.addHelpOption();
        parser.addVersionOption();
        screenshot.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(demo);
        parser.addOption(screenshot);
        endpointOptions.addOptions(parser);
    }

    // The endpoint options are read (and a CA file trusted) only after a successful parse.
    std::optional<LaunchOptions> options(QString *errorText)
    {
        if (!endpointOptions.apply(parser, errorText))
            return std::nullopt;
        LaunchOptions options;
        options.endpoints = endpointOptions.endpoints();
        options.demo = parser.isSet(demo);
        options.screenshotPath = parser.value(screenshot);
        return options;
    }
};

} // namespace

LaunchOptions LaunchOptions::fromArguments(const QStringList &arguments)
{
    QString errorText;
    const std::optional<LaunchOptions> options = parse(arguments, &errorText);
    if (!options) {
        std::fprintf(stderr, "%s\n", qPrintable(errorText));
        std::exit(2);
    }
    // Help and version: printed by the parser, which then ends the process.
    CommandLine().parser.process(arguments);
    return *options;
}

std::optional<LaunchOptions> LaunchOptions::parse(const QStringList &arguments, QString *errorText)
{
    CommandLine commandLine;
    if (!commandLine.parser.parse(arguments)) {
        *errorText = commandLine.parser.errorText();
        return std::nullopt;
    }
    return commandLine.options(errorText);
}
