#pragma once

#include "Endpoints.h"

#include <QCommandLineOption>
#include <QList>
#include <QObject>
#include <QStringList>

class QCommandLineParser;

/*!
 * \brief One subcommand of kivora-cli (such as "parse"): its name, help, options and work.
 *
 * CliApplication registers the options of every command, picks the command named by the first
 * positional argument and starts it. The command reports its exit status through finished(),
 * which it may emit at any time after start() has been called, also before it returns.
 */
class CliCommand : public QObject
{
    Q_OBJECT

public:
    /*! The exit statuses every command shares. */
    enum ExitStatus {
        Success = 0,
        Failure = 1,
        UsageError = 2,
    };

    using QObject::QObject;

    /*! The word that selects the command, e.g. "parse". */
    virtual QString name() const = 0;
    /*! What follows the name in a usage line, e.g. "[--json] TEXT". */
    virtual QString synopsis() const = 0;
    /*! One line for --help. */
    virtual QString summary() const = 0;
    /*! The options only this command accepts. */
    virtual QList<QCommandLineOption> options() const = 0;

    /*!
     * Starts the command with its own positional \a arguments (the command's name left out), the
     * options in \a parser and the platform \a endpoints. Returns a message for the user when the
     * arguments are not usable (then finished() is not emitted), else an empty text.
     */
    virtual QString start(const QCommandLineParser &parser, const QStringList &arguments,
                          const Endpoints &endpoints)
        = 0;

Q_SIGNALS:
    void finished(int exitStatus);
};
