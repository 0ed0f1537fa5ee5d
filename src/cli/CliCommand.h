#pragma once

#include <QCommandLineOption>
#include <QList>
#include <QObject>
#include <QPair>
#include <QStringList>

class BatchItem;
class QCommandLineParser;
struct BatchCounts;
struct RunContext;

/*!
 * \brief One subcommand of kivora-cli (such as "download"): its name, help, options, and the work
 * it does for each input.
 *
 * CliApplication registers the options of every command, picks the command named by the first
 * positional argument, reads its options and runs its inputs as a batch, one createItem() each.
 */
class CliCommand : public QObject
{
    Q_OBJECT

public:
    /*! The exit statuses every command shares; a signal ends the run with 128 + its number. */
    enum ExitStatus {
        Success = 0,
        Failure = 1,
        UsageError = 2,
    };

    /*! A command line and what it does, for the help and the manual. */
    using Example = QPair<QString, QString>;

    using QObject::QObject;

    /*! The word that selects the command, e.g. "parse". */
    virtual QString name() const = 0;
    /*! What follows the name in a usage line, e.g. "[OPTIONS] INPUT...". */
    virtual QString synopsis() const = 0;
    /*! One line for the command list. */
    virtual QString summary() const = 0;
    /*! The paragraphs of the command's help. */
    virtual QStringList description() const = 0;
    virtual QList<Example> examples() const = 0;
    /*! The options only this command accepts. */
    virtual QList<QCommandLineOption> options() const = 0;

    /*! Reads the command's own options; returns a message for the user when they are not
     *  usable, else an empty text. */
    virtual QString readOptions(const QCommandLineParser &parser) = 0;
    /*! The work for one \a input. */
    virtual BatchItem *createItem(const QString &input, const RunContext &context, QObject *parent)
        = 0;
    /*! The last words of a run: a summary on standard error when it says something. */
    virtual QString summaryLine(const BatchCounts &counts, bool batch) const = 0;
};
