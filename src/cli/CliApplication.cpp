#include "CliApplication.h"

#include "BatchRunner.h"
#include "CliCommand.h"
#include "Console.h"
#include "HelpText.h"
#include "InputSource.h"
#include "NetworkAccess.h"
#include "ProgressDisplay.h"
#include "ProxyAddress.h"
#include "RunContext.h"
#include "Settings.h"
#include "SignalWatcher.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QLoggingCategory>
#include <QNetworkProxy>

using namespace Qt::StringLiterals;

namespace {

constexpr int mostJobs = 64;
constexpr int signalExitBase = 128;

QCommandLineOption hidden(QCommandLineOption option)
{
    option.setFlags(QCommandLineOption::HiddenFromHelp);
    return option;
}

// Where diagnostic lines and Qt's messages go while a run writes progress: above the live lines,
// escaped, since they may hold text from the network.
ProgressDisplay *messageDisplay = nullptr;

void writeMessage(QtMsgType, const QMessageLogContext &, const QString &message)
{
    const QString line = Console::escaped(message) + u'\n';
    if (messageDisplay)
        messageDisplay->error(line);
    else
        Console::err(line);
}

} // namespace

CliApplication::CliApplication()
    : m_help({ u"h"_s, u"help"_s }, u"Show the help (of the command, when one is named)."_s)
    , m_version(u"version"_s, u"Show the version and exit."_s)
    , m_batchFile(
          { u"a"_s, u"batch-file"_s },
          u"Read more inputs from FILE, one a line (\"-\": standard input); blank lines and "
          "lines starting with # are skipped."_s,
          u"FILE"_s)
    , m_jobs({ u"j"_s, u"jobs"_s },
             u"Work on up to N inputs at once (default: downloads/parallel of the settings file, "
             "else 4)."_s,
             u"N"_s)
    , m_json(u"json"_s, u"Print one JSON line per input (JSON Lines) instead of text."_s)
    , m_quiet({ u"q"_s, u"quiet"_s }, u"Print nothing on standard error but errors."_s)
    , m_verbose({ u"v"_s, u"verbose"_s },
                u"Also print the diagnostic lines of the parser (\"Kivora…\")."_s)
    , m_timeout(u"timeout"_s, u"Give a request up after SECONDS without progress (default 15)."_s,
                u"SECONDS"_s)
    , m_proxy(u"proxy"_s,
              u"Send every request through URL (http://HOST:PORT or socks5://HOST:PORT) instead "
              "of network/proxy of the settings file or the system's proxy."_s,
              u"URL"_s)
    , m_manPage(hidden(QCommandLineOption(u"man-page"_s, u"Print the manual page (roff)."_s)))
    , m_bashCompletion(
          hidden(QCommandLineOption(u"bash-completion"_s, u"Print the bash completion."_s)))
{ }

CliApplication::~CliApplication() = default;

void CliApplication::addCommand(std::unique_ptr<CliCommand> command)
{
    Q_ASSERT(!this->command(command->name()));
    m_commands.push_back(std::move(command));
}

int CliApplication::exec(const QStringList &arguments)
{
    const int status = withOutputChecked(run(arguments));
    NetworkAccess::releaseManager();
    return status;
}

// Output that did not reach its file (a full disk, a closed pipe) turns success into failure.
int CliApplication::withOutputChecked(int status) const
{
    const QString error = Console::outputError();
    if (error.isEmpty() || status != CliCommand::Success)
        return status;
    Console::err(QStringLiteral("%1: cannot write the output: %2\n")
                     .arg(QCoreApplication::applicationName(), error));
    return CliCommand::Failure;
}

QList<QCommandLineOption> CliApplication::commonOptions() const
{
    QList<QCommandLineOption> options { m_help,  m_version, m_batchFile,     m_jobs,
                                        m_json,  m_quiet,   m_verbose,       m_timeout,
                                        m_proxy, m_manPage, m_bashCompletion };
    return options;
}

int CliApplication::run(const QStringList &arguments)
{
    QCommandLineParser parser;
    setUpParser(parser);
    if (!parser.parse(arguments))
        return usageError(parser.errorText());
    const HelpText docs(m_commands, commonOptions() + m_endpointOptions.options());
    if (parser.isSet(m_manPage) || parser.isSet(m_bashCompletion)) {
        Console::out(parser.isSet(m_manPage) ? docs.manPage() : docs.bashCompletion());
        return CliCommand::Success;
    }
    QStringList positional = parser.positionalArguments();
    if (parser.isSet(m_version) && positional.isEmpty()) {
        Console::out(QCoreApplication::applicationName() + u' '
                     + QCoreApplication::applicationVersion() + u'\n');
        return CliCommand::Success;
    }
    if (positional.isEmpty() && !parser.isSet(m_help))
        return usageError(u"no command given"_s);
    if (positional.value(0) == u"help" || positional.isEmpty())
        return help(positional.mid(1));
    const QString name = positional.takeFirst();
    CliCommand *chosen = command(name);
    if (!chosen)
        return usageError(u"unknown command \"%1\""_s.arg(name));
    if (parser.isSet(m_help))
        return help({ name });
    if (const QString foreign = foreignOption(parser, *chosen); !foreign.isEmpty())
        return usageError(u"%1 does not take --%2"_s.arg(chosen->name(), foreign));
    warnAboutSettings();
    RunOptions options;
    QString error;
    if (!m_endpointOptions.apply(parser, &error))
        return usageError(error);
    if (error = readRunOptions(parser, options); !error.isEmpty())
        return usageError(error);
    if (error = chosen->readOptions(parser); !error.isEmpty())
        return usageError(chosen->name() + u": " + error);
    for (const QString &input : std::as_const(positional)) {
        if (input.trimmed().isEmpty())
            return usageError(chosen->name() + u": an INPUT is empty"_s);
    }
    if (positional.isEmpty() && options.batchFile.isEmpty())
        return usageError(chosen->name()
                          + u": expected an INPUT (quote a share text) or --batch-file"_s);
    return runBatch(*chosen, positional, options);
}

QString CliApplication::readRunOptions(const QCommandLineParser &parser, RunOptions &options) const
{
    // The settings file gives the defaults; the options override them.
    const Settings settings;
    bool valid = true;
    if (parser.isSet(m_jobs))
        options.jobs = parser.value(m_jobs).toInt(&valid);
    else if (settings.contains(Settings::Key::Parallel))
        options.jobs = settings.parallel();
    if (!valid || options.jobs < 1 || options.jobs > mostJobs)
        return u"--jobs takes a number from 1 to %1"_s.arg(mostJobs);
    options.timeout = NetworkAccess::defaultInactivityTimeout;
    if (parser.isSet(m_timeout)) {
        const double seconds = parser.value(m_timeout).toDouble(&valid);
        if (!valid || seconds <= 0 || seconds > 24 * 3600)
            return u"--timeout takes a number of seconds above 0"_s;
        options.timeout = std::chrono::milliseconds(qint64(seconds * 1000));
    }
    const QString proxyText = parser.isSet(m_proxy) ? parser.value(m_proxy) : settings.proxy();
    if (!proxyText.isEmpty()) {
        const QNetworkProxy proxy = ProxyAddress::parse(proxyText);
        if (proxy.type() == QNetworkProxy::DefaultProxy)
            return u"--proxy takes http://HOST[:PORT] or socks5://HOST[:PORT], not \"%1\""_s.arg(
                proxyText);
        QNetworkProxy::setApplicationProxy(proxy);
    }
    options.json = parser.isSet(m_json);
    options.quiet = parser.isSet(m_quiet);
    options.verbose = parser.isSet(m_verbose);
    options.batchFile = parser.value(m_batchFile);
    if (parser.isSet(m_batchFile) && options.batchFile.isEmpty())
        return u"--batch-file needs a file (\"-\" for standard input)"_s;
    return {};
}

int CliApplication::help(const QStringList &topics) const
{
    const HelpText docs(m_commands, commonOptions() + m_endpointOptions.options());
    if (topics.isEmpty()) {
        Console::out(docs.programHelp());
        return CliCommand::Success;
    }
    const CliCommand *chosen = command(topics.constFirst());
    if (!chosen)
        return usageError(
            u"no help for \"%1\": there is no such command"_s.arg(topics.constFirst()));
    Console::out(docs.commandHelp(*chosen));
    return CliCommand::Success;
}

int CliApplication::runBatch(CliCommand &command, const QStringList &inputs,
                             const RunOptions &options)
{
    InputSource source(inputs);
    QString error;
    if (!options.batchFile.isEmpty() && !source.openBatchFile(options.batchFile, &error))
        return usageError(command.name() + u": " + error);
    // The diagnostic lines are debug messages, off unless asked for.
    QLoggingCategory::setFilterRules(options.verbose ? u"kivora.debug=true"_s
                                                     : u"kivora.debug=false"_s);
    const ProgressDisplay::Mode mode = options.quiet ? ProgressDisplay::Mode::Quiet
        : Console::errIsTerminal()                   ? ProgressDisplay::Mode::Live
                                                     : ProgressDisplay::Mode::Plain;
    ProgressDisplay display(mode);
    messageDisplay = &display;
    const QtMessageHandler previousHandler = qInstallMessageHandler(writeMessage);

    const bool batch = inputs.size() > 1 || !options.batchFile.isEmpty();
    const RunContext context { m_endpointOptions.endpoints(), options.timeout, &display,
                               options.json, batch };
    BatchRunner runner(source, options.jobs,
                       [&command, &context](const QString &input, QObject *parent) {
                           return command.createItem(input, context, parent);
                       },
                       { command.name(), options.json, &display });
    int stoppedBy = 0;
    SignalWatcher signalWatcher;
    QObject::connect(&signalWatcher, &SignalWatcher::received, &runner, [&](int signalNumber) {
        if (stoppedBy != 0)
            return; // already stopping: the running transfers end within moments
        stoppedBy = signalNumber;
        runner.stop();
    });
    QObject::connect(
        &runner, &BatchRunner::finished, QCoreApplication::instance(),
        [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
    runner.start();
    QCoreApplication::exec();

    display.finish();
    const BatchCounts &counts = runner.counts();
    const QString summary = command.summaryLine(counts, batch);
    if (!summary.isEmpty())
        display.note(u"%1: %2\n"_s.arg(QCoreApplication::applicationName(), summary));
    qInstallMessageHandler(previousHandler);
    messageDisplay = nullptr;
    if (stoppedBy != 0)
        return signalExitBase + stoppedBy;
    return counts.failed + counts.partial > 0 ? CliCommand::Failure : CliCommand::Success;
}

void CliApplication::setUpParser(QCommandLineParser &parser) const
{
    parser.setApplicationDescription(HelpText::programDescription());
    parser.addOptions(commonOptions());
    m_endpointOptions.addOptions(parser);
    for (const auto &command : m_commands) {
        const QList<QCommandLineOption> options = command->options();
        for (const QCommandLineOption &option : options) {
            // Two commands may share an option name; one registration serves both.
            parser.addOption(option);
        }
    }
    parser.addPositionalArgument(u"command"_s, u"The command to run."_s, u"COMMAND [INPUT...]"_s);
}

CliCommand *CliApplication::command(const QString &name) const
{
    for (const auto &command : m_commands) {
        if (command->name() == name)
            return command.get();
    }
    return nullptr;
}

QString CliApplication::foreignOption(const QCommandLineParser &parser,
                                      const CliCommand &command) const
{
    QStringList allowed = m_endpointOptions.optionNames();
    for (const QCommandLineOption &option : commonOptions())
        allowed += option.names();
    const QList<QCommandLineOption> own = command.options();
    for (const QCommandLineOption &option : own)
        allowed += option.names();
    const QStringList used = parser.optionNames();
    for (const QString &name : used) {
        if (!allowed.contains(name))
            return name;
    }
    return QString();
}

// A value in the settings file that cannot be used is passed over for its default, with a word.
void CliApplication::warnAboutSettings() const
{
    const Settings settings;
    const QStringList problems = settings.problems();
    for (const QString &problem : problems) {
        Console::err(u"%1: %2: %3 (the default is used)\n"_s.arg(
            QCoreApplication::applicationName(), settings.filePath(), Console::escaped(problem)));
    }
}

int CliApplication::usageError(const QString &message) const
{
    const QString program = QCoreApplication::applicationName();
    Console::err(QStringLiteral("%1: %2\nTry '%1 --help'.\n").arg(program, message));
    return CliCommand::UsageError;
}
