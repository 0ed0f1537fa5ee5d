#pragma once

#include "EndpointOptions.h"

#include <QCommandLineOption>
#include <QStringList>

#include <chrono>
#include <memory>
#include <vector>

class CliCommand;
class HelpText;
class QCommandLineParser;

/*!
 * \brief kivora-cli: parses the command line, picks the subcommand and runs its inputs as a batch
 * to the exit status.
 *
 * Options may stand before or after the subcommand. The options of every command (the endpoint
 * options, --batch-file, --jobs, --json, --quiet, --verbose, --timeout, --proxy) apply to each; a
 * command's own options are refused for the others. "--help", "help COMMAND" and
 * "COMMAND --help" answer without a display. Bad usage ends with status 2 and a message on
 * stderr; SIGINT, SIGTERM and SIGHUP stop the run cleanly with 128 + the signal's number.
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
    struct RunOptions
    {
        int jobs = 4;
        std::chrono::milliseconds timeout;
        bool json = false;
        bool quiet = false;
        bool verbose = false;
        QString batchFile; //!< empty: none
    };

    int run(const QStringList &arguments);
    int withOutputChecked(int status) const;
    void setUpParser(QCommandLineParser &parser) const;
    QList<QCommandLineOption> commonOptions() const;
    CliCommand *command(const QString &name) const;
    QString foreignOption(const QCommandLineParser &parser, const CliCommand &command) const;
    QString readRunOptions(const QCommandLineParser &parser, RunOptions &options) const;
    int help(const QStringList &topics) const;
    int runBatch(CliCommand &command, const QStringList &inputs, const RunOptions &options);
    void warnAboutSettings() const;
    int usageError(const QString &message) const;

    EndpointOptions m_endpointOptions;
    QCommandLineOption m_help;
    QCommandLineOption m_version;
    QCommandLineOption m_batchFile;
    QCommandLineOption m_jobs;
    QCommandLineOption m_json;
    QCommandLineOption m_quiet;
    QCommandLineOption m_verbose;
    QCommandLineOption m_timeout;
    QCommandLineOption m_proxy;
    QCommandLineOption m_manPage;
    QCommandLineOption m_bashCompletion;
    std::vector<std::unique_ptr<CliCommand>> m_commands;
};
