#include "ParseCommand.h"

#include "Console.h"
#include "VideoInfo.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

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

QString ParseCommand::readOptions(const QCommandLineParser &parser)
{
    m_printJson = parser.isSet(m_json);
    return QString();
}

void ParseCommand::useDirectAddress(const QString &address)
{
    const QJsonObject record { { QStringLiteral("video"), address } };
    Console::out(m_printJson
                     ? QString::fromUtf8(QJsonDocument(record).toJson(QJsonDocument::Compact))
                         + u'\n'
                     : QStringLiteral("video: %1\n").arg(address));
    Q_EMIT finished(Success);
}

void ParseCommand::useRecord(const VideoInfo &record, const std::optional<FailureReason> &failure)
{
    Console::out(m_printJson ? Console::escaped(record.toString()) + u'\n' : summaryText(record));
    if (failure) {
        Console::err(QStringLiteral("%1: %2: %3\n")
                         .arg(QCoreApplication::applicationName(), name(),
                              Console::escaped(failure->description())));
    }
    Q_EMIT finished(record.isSuccess() ? Success : Failure);
}

QString ParseCommand::summaryText(const VideoInfo &record)
{
    QString text;
    const auto line = [&text](QStringView key, const std::optional<QString> &value) {
        if (value)
            text += key % u": " % Console::escaped(*value) % u'\n';
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
            text += u"  " % Console::escaped(image) % u'\n';
    }
    line(u"tips", record.tips());
    return text;
}
