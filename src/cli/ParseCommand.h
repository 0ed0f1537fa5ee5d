#pragma once

#include "ShareTextCommand.h"

class VideoInfo;

/*!
 * \brief "parse [--json] TEXT": resolves a share text, link or video ID to its Video info record
 * and prints it, as the window's parse button does.
 *
 * A text that already is a play address is printed as the play address without any request.
 * Otherwise the record is printed as a readable summary, or with --json as one line holding
 * exactly the record's entries. Exit status 0 when the record's "msg" says success, else 1.
 */
class ParseCommand : public ShareTextCommand
{
    Q_OBJECT

public:
    using ShareTextCommand::ShareTextCommand;

    QString name() const override;
    QString synopsis() const override;
    QString summary() const override;
    QList<QCommandLineOption> options() const override;

    /*! The readable summary of \a record: one "key: value" line per entry it has, its values
     *  escaped (Console::escaped()). */
    static QString summaryText(const VideoInfo &record);

protected:
    QString readOptions(const QCommandLineParser &parser) override;
    void useDirectAddress(const QString &address) override;
    void useRecord(const VideoInfo &record, const std::optional<FailureReason> &failure) override;

private:
    QCommandLineOption m_json { QStringLiteral("json"),
                                QStringLiteral("parse: print the record as one line of JSON.") };
    bool m_printJson = false;
};
