#pragma once

#include "CliCommand.h"
#include "FailureReason.h"

#include <optional>

class VideoInfo;

/*!
 * \brief A subcommand that takes one TEXT (a share text, link, video ID or play address) and
 * resolves it as the window's parse button does.
 *
 * An empty TEXT is a usage error. The TEXT is resolved by a ShareTextResolver: a play address
 * goes to useDirectAddress() without any request, any other text's record (with the reason of a
 * failure) to useRecord(); either arrives on this object's thread, after start() has returned.
 */
class ShareTextCommand : public CliCommand
{
    Q_OBJECT

public:
    using CliCommand::CliCommand;

    QString start(const QCommandLineParser &parser, const QStringList &arguments,
                  const Endpoints &endpoints) final;

protected:
    /*! Reads the command's own options before the text is resolved; returns a message for the
     *  user when they are not usable, else an empty text. */
    virtual QString readOptions(const QCommandLineParser &parser) = 0;
    /*! Carries on with \a address, the TEXT itself, which is a play address. */
    virtual void useDirectAddress(const QString &address) = 0;
    /*! Carries on with the \a record the parser delivered for the TEXT and, beside a failure
     *  record, the \a failure's reason. */
    virtual void useRecord(const VideoInfo &record, const std::optional<FailureReason> &failure)
        = 0;
};
