#include "HelpText.h"

#include <QCoreApplication>
#include <QSet>

using namespace Qt::StringLiterals;

namespace {

constexpr int lineWidth = 79;
constexpr int descriptionIndent = 8;

QString program()
{
    return QCoreApplication::applicationName();
}

bool isShown(const QCommandLineOption &option)
{
    return !option.flags().testFlag(QCommandLineOption::HiddenFromHelp);
}

QString wrapped(const QString &text, int indent)
{
    const QString margin(indent, u' ');
    QString result;
    QString line;
    for (const QString &word : text.split(u' ', Qt::SkipEmptyParts)) {
        if (!line.isEmpty() && indent + line.size() + 1 + word.size() > lineWidth) {
            result += margin + line + u'\n';
            line.clear();
        }
        line += (line.isEmpty() ? QString() : u" "_s) + word;
    }
    return line.isEmpty() ? result : result + margin + line + u'\n';
}

// "-o, --output <TEMPLATE>"
QString optionSpelling(const QCommandLineOption &option, const QString &dash = u"-"_s)
{
    QStringList names;
    for (const QString &name : option.names())
        names.append((name.size() == 1 ? dash : dash + dash) + name);
    QString text = names.join(u", "_s);
    if (!option.valueName().isEmpty())
        text += u" <"_s + option.valueName() + u'>';
    return text;
}

// Text as roff reads it: backslashes and dashes kept, no line taken for a request.
QString roff(const QString &text)
{
    QString escaped = text;
    escaped.replace(u'\\', u"\\e"_s).replace(u'-', u"\\-"_s);
    QStringList lines = escaped.split(u'\n');
    for (QString &line : lines) {
        if (line.startsWith(u'.') || line.startsWith(u'\''))
            line.prepend(u"\\&"_s);
    }
    return lines.join(u'\n');
}

const QString exitStatus
    = u"0 when every input succeeded (parsed, saved or skipped), 1 when any "
      "failed or was saved in part, 2 for bad usage (an empty INPUT among it), 130, 143 or 129 "
      "after SIGINT (Ctrl+C), SIGTERM or SIGHUP."_s;

} // namespace

HelpText::HelpText(const std::vector<std::unique_ptr<CliCommand>> &commands,
                   const QList<QCommandLineOption> &commonOptions)
    : m_commands(commands), m_commonOptions(commonOptions)
{ }

QString HelpText::programDescription()
{
    return u"Resolve Douyin share texts, links and video IDs to their records and play addresses, "
           "and download the videos and picture galleries, many at a time."_s;
}

QString HelpText::programHelp() const
{
    QString text = u"Usage: %1 [OPTIONS] COMMAND [OPTIONS] INPUT...\n\n"_s.arg(program())
        + wrapped(programDescription(), 0) + u"\nCommands:\n"_s;
    for (const auto &command : m_commands) {
        text += u"  %1 %2\n"_s.arg(command->name(), command->synopsis())
            + wrapped(command->summary(), descriptionIndent);
    }
    text += u"  help [COMMAND]\n"_s
        + wrapped(u"Show this help, or a command's."_s, descriptionIndent)
        + u"\nOptions of every command:\n"_s + optionsText(m_commonOptions) + u"\nExamples:\n"_s;
    for (const auto &command : m_commands)
        text += examplesText(command->examples().mid(0, 1));
    return text + u'\n' + wrapped(u"Exit status: "_s + exitStatus, 0)
        + u"\nRun '%1 help COMMAND' for a command's options and examples.\n"_s.arg(program());
}

QString HelpText::commandHelp(const CliCommand &command) const
{
    QString text = u"Usage: %1 %2 %3\n\n"_s.arg(program(), command.name(), command.synopsis());
    for (const QString &paragraph : command.description())
        text += wrapped(paragraph, 0) + u'\n';
    const QString own = optionsText(command.options());
    if (!own.isEmpty())
        text += u"Options:\n"_s + own + u'\n';
    return text + u"Options of every command:\n"_s + optionsText(m_commonOptions)
        + u"\nExamples:\n"_s + examplesText(command.examples());
}

QString HelpText::optionsText(const QList<QCommandLineOption> &options)
{
    QString text;
    for (const QCommandLineOption &option : options) {
        if (isShown(option))
            text += u"  "_s + optionSpelling(option) + u'\n'
                + wrapped(option.description(), descriptionIndent);
    }
    return text;
}

QString HelpText::examplesText(const QList<CliCommand::Example> &examples)
{
    QString text;
    for (const CliCommand::Example &example : examples)
        text += u"  "_s + example.first + u'\n' + wrapped(example.second, descriptionIndent);
    return text;
}

QString HelpText::manPage() const
{
    QString page = u".TH KIVORA\\-CLI 1 \"\" \"Kivora %1\" \"User Commands\"\n"_s.arg(
                       QCoreApplication::applicationVersion())
        + u".SH NAME\n%1 \\- %2\n"_s.arg(roff(program()), roff(programDescription()))
        + u".SH SYNOPSIS\n"_s;
    for (const auto &command : m_commands)
        page += u".B %1\n%2 %3\n.br\n"_s.arg(roff(program()), roff(command->name()),
                                             roff(command->synopsis()));
    page += u".B %1\nhelp [COMMAND]\n"_s.arg(roff(program())) + u".SH DESCRIPTION\n"_s
        + roff(programDescription()) + u'\n';
    for (const auto &command : m_commands) {
        page += u".SH %1\n"_s.arg(roff(command->name().toUpper()));
        for (const QString &paragraph : command->description())
            page += u".PP\n"_s + roff(paragraph) + u'\n';
        page += manOptions(command->options());
        for (const CliCommand::Example &example : command->examples())
            page += u".PP\n.nf\n.B %1\n.fi\n%2\n"_s.arg(roff(example.first), roff(example.second));
    }
    return page + u".SH OPTIONS OF EVERY COMMAND\n"_s + manOptions(m_commonOptions)
        + u".SH EXIT STATUS\n"_s + roff(exitStatus) + u'\n' + u".SH ENVIRONMENT\n"_s
        + roff(u"The system's proxy settings (http_proxy, https_proxy, no_proxy) apply unless "
               "--proxy is given. QT_LOGGING_RULES=\"kivora.debug=true\" turns the diagnostic "
               "lines on, as --verbose does."_s)
        + u"\n"_s;
}

QString HelpText::manOptions(const QList<QCommandLineOption> &options)
{
    QString text;
    for (const QCommandLineOption &option : options) {
        if (isShown(option))
            text += u".TP\n.B %1\n%2\n"_s.arg(roff(optionSpelling(option)),
                                              roff(option.description()));
    }
    return text;
}

QString HelpText::bashCompletion() const
{
    QStringList valued; // options that take a value
    QStringList files;
    QStringList folders;
    const auto words = [&](const QList<QCommandLineOption> &options) {
        QStringList spelled;
        for (const QCommandLineOption &option : options) {
            if (!isShown(option))
                continue;
            for (const QString &name : option.names()) {
                const QString word = (name.size() == 1 ? u"-"_s : u"--"_s) + name;
                spelled.append(word);
                if (option.valueName().isEmpty())
                    continue;
                valued.append(word);
                if (option.valueName() == u"FILE")
                    files.append(word);
                else if (option.valueName() == u"DIR")
                    folders.append(word);
            }
        }
        return spelled.join(u' ');
    };
    QStringList commandNames;
    QString perCommand;
    for (const auto &command : m_commands) {
        commandNames.append(command->name());
        perCommand += u"        %1) words=\"$common %2\" ;;\n"_s.arg(command->name(),
                                                                     words(command->options()));
    }
    const QString common = words(m_commonOptions);
    const auto valueCase = [](const QStringList &options, const QString &action) {
        return options.isEmpty() ? QString()
                                 : u"        %1) %2 ;;\n"_s.arg(options.join(u'|'), action);
    };
    return u"# bash completion for %1 (made by '%1 --bash-completion')\n"
           "_kivora_cli()\n{\n"
           "    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]}\n"
           "    local command= word words common=\"%2\"\n"
           "    for word in \"${COMP_WORDS[@]:1:COMP_CWORD-1}\"; do\n"
           "        case $word in %3|help) command=$word; break ;; esac\n"
           "    done\n"
           "    case $prev in\n"_s.arg(program(), common, commandNames.join(u'|'))
        + valueCase(files, u"COMPREPLY=($(compgen -f -- \"$cur\")); return"_s)
        + valueCase(folders, u"COMPREPLY=($(compgen -d -- \"$cur\")); return"_s)
        + valueCase(valued, u"return"_s)
        + u"    esac\n    case $command in\n"
          "        '') words=\"%1 help $common\" ;;\n"
          "        help) words=\"%1\" ;;\n"_s.arg(commandNames.join(u' '))
        + perCommand
        + u"    esac\n"
          "    COMPREPLY=($(compgen -W \"$words\" -- \"$cur\"))\n"
          "}\n"
          "complete -o default -F _kivora_cli %1\n"_s.arg(program());
}
