#pragma once

#include "CliCommand.h"

/*!
 * \brief "parse INPUT...": resolves share texts, links and video IDs to their Video info records
 * and prints them, as the window's parse button does (ParseItem).
 */
class ParseCommand : public CliCommand
{
    Q_OBJECT

public:
    using CliCommand::CliCommand;

    QString name() const override;
    QString synopsis() const override;
    QString summary() const override;
    QStringList description() const override;
    QList<Example> examples() const override;
    QList<QCommandLineOption> options() const override;
    QString readOptions(const QCommandLineParser &parser) override;
    BatchItem *createItem(const QString &input, const RunContext &context,
                          QObject *parent) override;
    QString summaryLine(const BatchCounts &counts, bool batch) const override;
};
