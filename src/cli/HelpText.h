#pragma once

#include "CliCommand.h"

#include <QCommandLineOption>
#include <QList>
#include <QString>

#include <memory>
#include <vector>

/*!
 * \brief The tool's documentation, written once and rendered three ways: the --help texts, the
 * manual page (roff, installed as kivora-cli.1) and the bash completion script.
 *
 * Options flagged HiddenFromHelp appear nowhere.
 */
class HelpText
{
public:
    HelpText(const std::vector<std::unique_ptr<CliCommand>> &commands,
             const QList<QCommandLineOption> &commonOptions);

    /*! "kivora-cli --help" and "kivora-cli help". */
    QString programHelp() const;
    /*! "kivora-cli help COMMAND" and "kivora-cli COMMAND --help". */
    QString commandHelp(const CliCommand &command) const;
    QString manPage() const;
    QString bashCompletion() const;

    static QString programDescription();

private:
    static QString optionsText(const QList<QCommandLineOption> &options);
    static QString examplesText(const QList<CliCommand::Example> &examples);
    static QString manOptions(const QList<QCommandLineOption> &options);

    const std::vector<std::unique_ptr<CliCommand>> &m_commands;
    QList<QCommandLineOption> m_commonOptions;
};
