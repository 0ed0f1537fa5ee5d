#pragma once

#include "CliCommand.h"
#include "DownloadArchive.h"
#include "DownloadItem.h"

/*!
 * \brief "download INPUT...": resolves each input as "parse" does and saves its video, or every
 * picture of a gallery, as the window's download button does (DownloadItem).
 */
class DownloadCommand : public CliCommand
{
    Q_OBJECT

public:
    DownloadCommand(QObject *parent = nullptr);

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

private:
    QCommandLineOption m_output;
    QCommandLineOption m_paths;
    QCommandLineOption m_out; // the earlier name of --paths
    QCommandLineOption m_album;
    QCommandLineOption m_cover;
    QCommandLineOption m_archive;
    QCommandLineOption m_continue;
    QCommandLineOption m_noContinue;
    QCommandLineOption m_retries;
    QCommandLineOption m_userAgent;
    DownloadSettings m_settings;
    DownloadArchive m_downloadArchive;
};
