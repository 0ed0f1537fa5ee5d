#include "FileNameTemplate.h"

#include "SuggestedFileName.h"

#include <QRegularExpression>

using namespace Qt::StringLiterals;

namespace {

const QRegularExpression &fieldPattern()
{
    static const QRegularExpression pattern(u"\\{([^{}]*)\\}"_s);
    return pattern;
}

// A field's text, one safe piece of a name: what could split the name into folders goes, and so
// does what the name's sanitising strips anyway, lest it count against the length cap.
QString safeField(const QString &value)
{
    QString text = value;
    text.replace(u'/', u'_').replace(u'\\', u'_');
    text.replace(u'\n', u' ').replace(u'\r', u' ').replace(u'\t', u' ');
    return SuggestedFileName::withoutForbidden(text).simplified();
}

QString defaultName(const FileNameTemplate::Fields &fields)
{
    QStringList parts;
    for (const QString &part : { fields.name, fields.title }) {
        if (!part.isEmpty())
            parts.append(part);
    }
    QString name = parts.join(u" - "_s);
    if (!fields.id.isEmpty())
        name += (name.isEmpty() ? u"["_s : u" ["_s) + fields.id + u']';
    if (!fields.index.isEmpty())
        name += (name.isEmpty() ? QString() : u" "_s) + fields.index;
    return name + u'.' + fields.ext;
}

qsizetype utf8Size(const QString &text)
{
    return text.toUtf8().size();
}

} // namespace

FileNameTemplate::FileNameTemplate(const QString &text) : m_text(text) { }

QStringList FileNameTemplate::fieldNames()
{
    return { u"id"_s, u"name"_s, u"title"_s, u"type"_s, u"index"_s, u"ext"_s };
}

QString FileNameTemplate::error() const
{
    if (m_text.contains(u'/') || m_text.contains(u'\\'))
        return u"--output names a file, not a folder (use --paths for the folder): %1"_s.arg(
            m_text);
    QRegularExpressionMatchIterator fields = fieldPattern().globalMatch(m_text);
    while (fields.hasNext()) {
        const QString field = fields.next().captured(1);
        if (!fieldNames().contains(field))
            return u"--output: unknown field {%1} (known: {%2})"_s.arg(
                field, fieldNames().join(u"}, {"_s));
    }
    return {};
}

QString FileNameTemplate::render(const Fields &fields) const
{
    Fields safe { safeField(fields.id),   safeField(fields.name),  safeField(fields.title),
                  safeField(fields.type), safeField(fields.index), safeField(fields.ext) };
    // The longest free texts give way first, so that the ID and the index stay whole.
    const int budget = SuggestedFileName::maxBytes;
    for (QString *field : { &safe.title, &safe.name }) {
        const qsizetype excess = utf8Size(substituted(safe)) - budget;
        if (excess > 0)
            *field = SuggestedFileName::shortened(*field,
                                                  std::max<qsizetype>(0, utf8Size(*field) - excess))
                         .trimmed();
    }
    return SuggestedFileName::sanitize(substituted(safe));
}

QString FileNameTemplate::substituted(const Fields &fields) const
{
    if (m_text.isEmpty())
        return defaultName(fields);
    const QStringList values
        = { fields.id, fields.name, fields.title, fields.type, fields.index, fields.ext };
    QString name;
    qsizetype copied = 0;
    QRegularExpressionMatchIterator matches = fieldPattern().globalMatch(m_text);
    while (matches.hasNext()) {
        const QRegularExpressionMatch match = matches.next();
        name += QStringView(m_text).mid(copied, match.capturedStart() - copied);
        name += values.value(fieldNames().indexOf(match.captured(1)));
        copied = match.capturedEnd();
    }
    return name + QStringView(m_text).mid(copied);
}
