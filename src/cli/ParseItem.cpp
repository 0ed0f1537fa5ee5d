#include "ParseItem.h"

#include "Console.h"
#include "ProgressDisplay.h"
#include "VideoInfo.h"

#include <QJsonObject>

using namespace Qt::StringLiterals;

std::optional<QString> ParseItem::failureOf(const ResolveJob::Result &result)
{
    if (result.isDirectPlayAddress() || result.record->isSuccess())
        return std::nullopt;
    if (result.failure)
        return result.failure->description();
    return u"The item has no author, so its record says the parse failed (%1)"_s.arg(
        result.record->msg().value_or(QString()));
}

void ParseItem::useResolution(const ResolveJob::Result &result)
{
    if (result.isDirectPlayAddress()) {
        const QJsonObject record { { u"video"_s, *result.playAddress } };
        m_context.display->out(m_context.json
                                   ? Console::jsonLine(record)
                                   : u"video: %1\n"_s.arg(Console::escaped(*result.playAddress)));
        finish(Outcome::Done);
        return;
    }
    const std::optional<QString> failure = failureOf(result);
    if (m_context.json) {
        QJsonObject object = result.record->toJson();
        if (result.videoId)
            object.insert(u"id"_s, *result.videoId);
        if (failure) {
            // So that a failure can be matched to its batch line.
            object.insert(u"input"_s, m_input);
            object.insert(u"error"_s, *failure);
        }
        // Beside the sentence, the stable code scripts can tell the reasons by.
        if (result.failure)
            object.insert(u"reason"_s, result.failure->code());
        m_context.display->out(Console::jsonLine(object));
    } else {
        m_context.display->out(summaryText(*result.record, result.videoId)
                               + (m_context.batch ? u"\n"_s : QString()));
    }
    if (failure)
        reportError(*failure);
    finish(failure ? Outcome::Failed : Outcome::Done);
}

QString ParseItem::summaryText(const VideoInfo &record, const std::optional<QString> &videoId)
{
    QString text;
    const auto line = [&text](QStringView key, const std::optional<QString> &value) {
        if (value)
            text += key % u": " % Console::escaped(*value) % u'\n';
    };
    line(u"id", videoId);
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
