#include "CliApplication.h"

#include "CliCommand.h"
#include "Console.h"

#include <QCommandLineParser>
#include <QCoreApplication>

CliApplication::CliApplication()
    : m_help(QStringList { QStringLiteral("h"), QStringLiteral("help") },
             QStringLiteral("Show this help and exit."))
    , m_version(QStringLiteral("version"), QStringLiteral("Show the version and exit."))
{ }

CliApplication::~CliApplication() = default;

void CliApplication::addCommand(std::unique_ptr<CliCommand> command)
{
    Q_ASSERT(!this->command(command->name()));
    m_commands.push_back(std::move(command));
}

int CliApplication::exec(const QStringList &arguments)
{
    return withOutputChecked(run(arguments));
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

int CliApplication::run(const QStringList &arguments)
{
    QCommandLineParser parser;
    setUpParser(parser);
    if (!parser.parse(arguments))
        return usageError(parser.errorText());
    if (parser.isSet(m_help)) {
        Console::out(parser.helpText() + commandList());
        return CliCommand::Success;
    }
    if (parser.isSet(m_version)) {
        Console::out(QCoreApplication::applicationName() + u' '
                     + QCoreApplication::applicationVersion() + u'\n');
        return CliCommand::Success;
    }

    QStringList positional = parser.positionalArguments();
    if (positional.isEmpty())
        return usageError(QStringLiteral("no command given"));
    const QString name = positional.takeFirst();
    CliCommand *chosen = command(name);
    if (!chosen)
        return usageError(QStringLiteral("unknown command \"%1\"").arg(name));
    if (const QString foreign = foreignOption(parser, *chosen); !foreign.isEmpty())
        return usageError(QStringLiteral("%1 does not take --%2").arg(chosen->name(), foreign));
    QString error;
    if (!m_endpointOptions.apply(parser, &error))
        return usageError(error);

    // Queued, so that a command that finishes inside start() still ends the loop started below.
    QObject::connect(
        chosen, &CliCommand::finished, QCoreApplication::instance(),
        [](int status) { QCoreApplication::exit(status); }, Qt::QueuedConnection);
    error = chosen->start(parser, positional, m_endpointOptions.endpoints());
    if (!error.isEmpty())
        return usageError(chosen->name() + u": " + error);
    return QCoreApplication::exec();
}

void CliApplication::setUpParser(QCommandLineParser &parser) const
{
    parser.setApplicationDescription(
        QStringLiteral("Resolve Douyin share texts, links and video IDs to play addresses, and "
                       "download the videos."));
    parser.addOption(m_help);
    parser.addOption(m_version);
    m_endpointOptions.addOptions(parser);
    for (const auto &command : m_commands) {
        const QList<QCommandLineOption> options = command->options();
        for (const QCommandLineOption &option : options) {
            // Two commands may share an option name; one registration serves both.
            parser.addOption(option);
        }
    }
    parser.addPositionalArgument(QStringLiteral("command"),
                                 QStringLiteral("The command to run (see Commands below)."),
                                 QStringLiteral("COMMAND [ARGUMENTS]"));
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
    QStringList allowed = m_help.names() + m_version.names() + m_endpointOptions.optionNames();
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

QString CliApplication::commandList() const
{
    QString text = QStringLiteral("\nCommands:\n");
    for (const auto &command : m_commands) {
        text += QStringLiteral("  %1 %2\n      %3\n")
                    .arg(command->name(), command->synopsis(), command->summary());
    }
    return text;
}

int CliApplication::usageError(const QString &message) const
{
    const QString program = QCoreApplication::applicationName();
    Console::err(QStringLiteral("%1: %2\nTry '%1 --help'.\n").arg(program, message));
    return CliCommand::UsageError;
}
