#include "ParseCommand.h"

#include "Console.h"
#include "ShareText.h"
#include "VideoInfo.h"
#include "VideoParser.h"

#include <QCommandLineParser>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPointer>

QString ParseCommand::name() const
{
    return QStringLiteral("parse");
}

QString ParseCommand::synopsis() const
{
    return QStringLiteral("[--json] TEXT");
}

QString ParseCommand::summary() const
{
    return QStringLiteral("Resolve a share text, short link, link or video ID (one argument; quote "
                          "it) and print the video's record.");
}

QList<QCommandLineOption> ParseCommand::options() const
{
    return { m_json };
}

QString ParseCommand::start(const QCommandLineParser &parser, const QStringList &arguments,
                            const Endpoints &endpoints)
{
    if (arguments.size() != 1)
        return QStringLiteral("expected one TEXT, got %1 (quote a share text)")
            .arg(arguments.size());
    const QString text = arguments.constFirst();
    const bool json = parser.isSet(m_json);

    if (ShareText::isDirectPlayAddress(text)) {
        QJsonObject address { { QStringLiteral("video"), text } };
        Console::out(json ? QString::fromUtf8(QJsonDocument(address).toJson(QJsonDocument::Compact))
                             + u'\n'
                          : QStringLiteral("video: %1\n").arg(text));
        Q_EMIT finished(Success);
        return QString();
    }

    // The completion may run on the parser's network thread: print and finish on ours.
    const QPointer<ParseCommand> self(this);
    VideoParser(endpoints).fetchVideoInfoWithMessage(
        ShareText::parserInput(text, endpoints), [self, json](const VideoInfo &record) {
            QMetaObject::invokeMethod(
                self, [self, record, json] { self->finish(record, json); }, Qt::QueuedConnection);
        });
    return QString();
}

void ParseCommand::finish(const VideoInfo &record, bool json)
{
    Console::out(json ? record.toString() + u'\n' : summaryText(record));
    Q_EMIT finished(record.isSuccess() ? Success : Failure);
}

QString ParseCommand::summaryText(const VideoInfo &record)
{
    QString text;
    const auto line = [&text](QStringView key, const std::optional<QString> &value) {
        if (value)
            text += key % u": " % *value % u'\n';
    };
    line(u"msg", record.msg());
    line(u"name", record.name());
    line(u"title", record.title());
    line(u"type", record.type());
    line(u"video", record.video());
    line(u"cover", record.cover());
    if (const std::optional<QStringList> images = record.images()) {
        text
            += images->isEmpty() ? QStringLiteral("images: (none)\n") : QStringLiteral("images:\n");
        for (const QString &image : *images)
            text += u"  " % image % u'\n';
    }
    line(u"tips", record.tips());
    return text;
}
