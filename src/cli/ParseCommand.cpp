#include "ParseCommand.h"

#include "BatchCounts.h"
#include "ParseItem.h"

using namespace Qt::StringLiterals;

QString ParseCommand::name() const
{
    return u"parse"_s;
}

QString ParseCommand::synopsis() const
{
    return u"[OPTIONS] INPUT..."_s;
}

QString ParseCommand::summary() const
{
    return u"Resolve share texts, links and video IDs and print each video's record."_s;
}

QStringList ParseCommand::description() const
{
    return {
        u"Resolves each INPUT (a share text - quote it -, a short link, a long link, a video ID "
        "or a play address) as the window's parse button does and prints its record: author, "
        "description, play address, cover, gallery pictures and kind, as a readable summary or, "
        "with --json, as one line of JSON per input holding the record's entries, \"id\" and, "
        "when the parse failed, the \"input\" and the \"error\"."_s,
        u"A parse failed when the record's \"msg\" says so; the reason then also goes to "
        "standard error. A play address is printed as it is, without any request. Text from the "
        "network is escaped before it reaches the terminal."_s,
    };
}

QList<CliCommand::Example> ParseCommand::examples() const
{
    return {
        { u"kivora-cli parse '7.43 复制打开抖音，看看【…的作品】… https://v.douyin.com/AbC-12_xYz/'"_s,
          u"Print the record of a share text."_s },
        { u"kivora-cli parse --json 7301234567890123456 7312345678901234567"_s,
          u"Two video IDs, one JSON line each."_s },
        { u"kivora-cli parse -a links.txt --jobs 8 --json > records.jsonl"_s,
          u"Every line of links.txt, eight at a time."_s },
    };
}

QList<QCommandLineOption> ParseCommand::options() const
{
    return {};
}

QString ParseCommand::readOptions(const QCommandLineParser &)
{
    return {};
}

BatchItem *ParseCommand::createItem(const QString &input, const RunContext &context,
                                    QObject *parent)
{
    return new ParseItem(name(), input, context, parent);
}

QString ParseCommand::summaryLine(const BatchCounts &counts, bool batch) const
{
    if (!batch)
        return {};
    QString line = u"%1 parsed, %2 failed"_s.arg(QString::number(counts.done),
                                                 QString::number(counts.failed));
    if (counts.skipped > 0)
        line += u", %1 skipped"_s.arg(counts.skipped);
    return line + counts.unfinished();
}
