#include "DownloadCommand.h"

#include "BatchCounts.h"
#include "Settings.h"

#include <QCommandLineParser>
#include <QDir>

using namespace Qt::StringLiterals;

namespace {

constexpr int mostRetries = 100;

QCommandLineOption hidden(QCommandLineOption option)
{
    option.setFlags(QCommandLineOption::HiddenFromHelp);
    return option;
}

} // namespace

DownloadCommand::DownloadCommand(QObject *parent)
    : CliCommand(parent)
    , m_output(
          { u"o"_s, u"output"_s },
          u"Name the files after TEMPLATE, with the fields {id}, {name} (the author), "
          "{title}, {type}, {index} (a picture's number) and {ext}. Default: "
          "downloads/nameTemplate of the settings file, else \"{name} - {title} [{id}].{ext}\", "
          "with \" {index}\" before the extension for pictures; parts whose fields are empty "
          "are left out."_s,
          u"TEMPLATE"_s)
    , m_paths({ u"P"_s, u"paths"_s },
              u"Save into DIR (default: the current folder; created when missing)."_s, u"DIR"_s)
    , m_out(hidden(QCommandLineOption(u"out"_s, u"The same as --paths."_s, u"DIR"_s)))
    , m_album(u"album"_s, u"Also copy each video into the video album (~/Videos/Kivora)."_s)
    , m_cover(u"cover"_s, u"Also save the item's cover picture ({index} is \"cover\")."_s)
    , m_archive(
          u"download-archive"_s,
          u"Skip the items whose IDs FILE lists, and add the ID of each item saved whole (and "
          "each file of an item of several, so that a rerun fetches only what is missing). "
          "Several runs may share FILE."_s,
          u"FILE"_s)
    , m_continue(u"continue"_s,
                 u"Resume a NAME.part left by an interrupted download (the default)."_s)
    , m_noContinue(u"no-continue"_s, u"Start every download from the beginning."_s)
    , m_retries(u"retries"_s,
                u"Try a failed transfer again up to N times (default 3), waiting 1 s, 2 s, 4 s, … "
                "between tries: network errors, cut or stalled transfers, 429 and 5xx."_s,
                u"N"_s, u"3"_s)
    , m_userAgent(u"user-agent"_s, u"Send UA as the User-Agent of downloads."_s, u"UA"_s)
{ }

QString DownloadCommand::name() const
{
    return u"download"_s;
}

QString DownloadCommand::synopsis() const
{
    return u"[OPTIONS] INPUT..."_s;
}

QString DownloadCommand::summary() const
{
    return u"Resolve each input as parse does and save its video or gallery pictures."_s;
}

QStringList DownloadCommand::description() const
{
    return {
        u"Resolves each INPUT as parse does and saves the item's video or, for a picture "
        "gallery, every picture in order. Each file is checked for what it claims to be (a "
        "video, or a JPEG, PNG or WebP picture) and takes the extension of what its bytes are. "
        "A failed parse never downloads."_s,
        u"Data goes to NAME.part, which takes its name only once the file is complete and its "
        "size checked on disk; an existing file is never replaced (the new one becomes "
        "\"NAME (1).mp4\"). An interrupted download resumes its .part with a Range request the "
        "next time. Ctrl+C, SIGTERM and SIGHUP stop cleanly: the .part files stay, nothing is "
        "left under a final name."_s,
        u"A batch line longer than 64 KiB is refused, and an input given twice is done once. An "
        "item some of whose files were saved is \"partial\"; the summary counts the stopped and "
        "partial items too."_s,
        u"The saved paths are printed one a line (with --json: one JSON line per input with the "
        "record, \"id\", \"status\", \"files\" with their paths and sizes, and \"error\"). On a "
        "terminal, standard error shows a live line per running transfer and a total line; "
        "elsewhere it gets plain progress lines. A summary ends the run."_s,
    };
}

QList<CliCommand::Example> DownloadCommand::examples() const
{
    return {
        { u"kivora-cli download 7301234567890123456"_s,
          u"Save a video into the current folder."_s },
        { u"kivora-cli download -P ~/Downloads -o '{id} {index}.{ext}' --cover LINK"_s,
          u"Save a gallery's pictures and its cover under their ID and number."_s },
        { u"kivora-cli download -a links.txt --jobs 8 --download-archive done.txt"_s,
          u"A batch, eight at a time; run it again to fetch only what is missing."_s },
        { u"xclip -o -selection clipboard | kivora-cli download -a - --json"_s,
          u"The clipboard's lines as inputs (wl-paste on Wayland), one JSON line per input."_s },
    };
}

QList<QCommandLineOption> DownloadCommand::options() const
{
    return { m_output,  m_paths,    m_out,        m_album,   m_cover,
             m_archive, m_continue, m_noContinue, m_retries, m_userAgent };
}

QString DownloadCommand::readOptions(const QCommandLineParser &parser)
{
    if (parser.isSet(m_continue) && parser.isSet(m_noContinue))
        return u"--continue and --no-continue exclude each other"_s;
    const QString folder = parser.isSet(m_paths) ? parser.value(m_paths)
        : parser.isSet(m_out)                    ? parser.value(m_out)
                                                 : QDir::currentPath();
    if (folder.isEmpty())
        return u"--paths needs a folder"_s;
    m_settings.directory = QDir(folder).absolutePath();
    if (parser.isSet(m_output) && parser.value(m_output).isEmpty())
        return u"--output needs a template"_s;
    const QString nameTemplate
        = parser.isSet(m_output) ? parser.value(m_output) : Settings().nameTemplate();
    m_settings.nameTemplate = FileNameTemplate(nameTemplate);
    if (const QString error = m_settings.nameTemplate.error(); !error.isEmpty())
        return error;
    bool valid = false;
    m_settings.retries = parser.value(m_retries).toInt(&valid);
    if (!valid || m_settings.retries < 0 || m_settings.retries > mostRetries)
        return u"--retries takes a number from 0 to %1"_s.arg(mostRetries);
    m_settings.album = parser.isSet(m_album);
    m_settings.cover = parser.isSet(m_cover);
    m_settings.continuePartial = !parser.isSet(m_noContinue);
    m_settings.userAgent = parser.value(m_userAgent).toUtf8();
    if (parser.isSet(m_archive)) {
        QString error;
        if (!m_downloadArchive.open(parser.value(m_archive), &error))
            return error;
        m_settings.archive = &m_downloadArchive;
    }
    return {};
}

BatchItem *DownloadCommand::createItem(const QString &input, const RunContext &context,
                                       QObject *parent)
{
    return new DownloadItem(input, context, m_settings, parent);
}

QString DownloadCommand::summaryLine(const BatchCounts &counts, bool) const
{
    return u"%1 saved, %2 skipped, %3 failed"_s.arg(QString::number(counts.done),
                                                    QString::number(counts.skipped),
                                                    QString::number(counts.failed))
        + counts.unfinished();
}
