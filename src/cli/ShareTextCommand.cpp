#include "ShareTextCommand.h"

#include "ShareText.h"
#include "VideoInfo.h"
#include "VideoParser.h"

#include <QPointer>

QString ShareTextCommand::start(const QCommandLineParser &parser, const QStringList &arguments,
                                const Endpoints &endpoints)
{
    if (arguments.size() != 1)
        return QStringLiteral("expected one TEXT, got %1 (quote a share text)")
            .arg(arguments.size());
    if (const QString error = readOptions(parser); !error.isEmpty())
        return error;
    const QString text = arguments.constFirst();
    if (text.trimmed().isEmpty())
        return QStringLiteral("TEXT is empty");

    if (const std::optional<QString> address = ShareText::directPlayAddress(text)) {
        useDirectAddress(*address);
        return QString();
    }

    // The completion may run on the parser's network thread: carry on on ours.
    const QPointer<ShareTextCommand> self(this);
    VideoParser(endpoints).fetchVideoInfoWithMessage(
        ShareText::parserInput(text, endpoints),
        [self](const VideoInfo &record, const std::optional<FailureReason> &failure) {
            QMetaObject::invokeMethod(
                self, [self, record, failure] { self->useRecord(record, failure); },
                Qt::QueuedConnection);
        });
    return QString();
}
