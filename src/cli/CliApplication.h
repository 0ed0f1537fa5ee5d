#pragma once

#include "EndpointOptions.h"

#include <QCommandLineOption>
#include <QStringList>

#include <memory>
#include <vector>

class CliCommand;
class QCommandLineParser;

/*!
 * \brief kivora-cli: parses the command line, picks the subcommand and runs it to its exit
 * status.
 *
 * Options may stand before or after the subcommand. The endpoint options (--short-link-host,
 * --share-origin, --web-origin, --ca-certificates) apply to every command; a command's own
 * options are refused for the others. Bad usage ends with status 2 and a message on stderr.
 */
class CliApplication
{
public:
    CliApplication();
    ~CliApplication();
    CliApplication(const CliApplication &) = delete;
    CliApplication &operator=(const CliApplication &) = delete;

    /*! Adds a subcommand; its name must be new. */
    void addCommand(std::unique_ptr<CliCommand> command);

    /*! Runs the command line \a arguments (program name first) in the application's event loop
     *  and returns the exit status: a failure when standard output could not be written. */
    int exec(const QStringList &arguments);

private:
    int run(const QStringList &arguments);
    int withOutputChecked(int status) const;
    void setUpParser(QCommandLineParser &parser) const;
    CliCommand *command(const QString &name) const;
    QString foreignOption(const QCommandLineParser &parser, const CliCommand &command) const;
    QString commandList() const;
    int usageError(const QString &message) const;

    EndpointOptions m_endpointOptions;
    QCommandLineOption m_help;
    QCommandLineOption m_version;
    std::vector<std::unique_ptr<CliCommand>> m_commands;
};
