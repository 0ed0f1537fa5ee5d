#include "ResumeValidators.h"

#include <QNetworkReply>
#include <QNetworkRequest>
#include <QRegularExpression>

using namespace Qt::StringLiterals;

namespace {

constexpr qsizetype longestValue = 1024;

// A header's value as a single printable line, or empty: a value that could not be written back
// as one line of the file, or that would not fit in it, is no validator.
QByteArray headerLine(const QByteArray &value)
{
    const QByteArray trimmed = value.trimmed();
    if (trimmed.size() > longestValue)
        return {};
    for (const char c : trimmed) {
        if (static_cast<unsigned char>(c) < 0x20 || c == '\x7f')
            return {};
    }
    return trimmed;
}

// The total of a "bytes first-last/total" Content-Range; -1 when there is none.
qint64 rangeTotal(const QByteArray &contentRange)
{
    static const QRegularExpression pattern(u"^\\s*bytes\\s+\\d+-\\d+/(\\d+)\\s*$"_s);
    const QRegularExpressionMatch match = pattern.match(QString::fromLatin1(contentRange));
    bool ok = false;
    const qint64 total = match.captured(1).toLongLong(&ok);
    return match.hasMatch() && ok ? total : -1;
}

} // namespace

ResumeValidators ResumeValidators::fromReply(const QNetworkReply &reply)
{
    ResumeValidators validators;
    validators.m_etag = headerLine(reply.rawHeader("ETag"));
    validators.m_lastModified = headerLine(reply.rawHeader("Last-Modified"));
    const int status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status == 206) {
        validators.m_total = rangeTotal(reply.rawHeader("Content-Range"));
    } else if (const QByteArray encoding = reply.rawHeader("Content-Encoding").trimmed().toLower();
               encoding.isEmpty() || encoding == "identity") {
        const QVariant length = reply.header(QNetworkRequest::ContentLengthHeader);
        validators.m_total = length.isValid() ? length.toLongLong() : -1;
    }
    return validators;
}

ResumeValidators ResumeValidators::parse(const QByteArray &text)
{
    ResumeValidators validators;
    if (text.size() > maximumSerializedSize)
        return validators;
    for (const QByteArray &line : text.split('\n')) {
        const qsizetype colon = line.indexOf(':');
        if (colon < 0)
            continue;
        const QByteArray name = line.left(colon).trimmed();
        const QByteArray value = headerLine(line.mid(colon + 1));
        if (name == "etag") {
            validators.m_etag = value;
        } else if (name == "last-modified") {
            validators.m_lastModified = value;
        } else if (name == "total") {
            bool ok = false;
            const qint64 total = value.toLongLong(&ok);
            validators.m_total = ok && total >= 0 ? total : -1;
        }
    }
    return validators;
}

QByteArray ResumeValidators::serialized() const
{
    QByteArray text;
    if (!m_etag.isEmpty())
        text += "etag: " + m_etag + '\n';
    if (!m_lastModified.isEmpty())
        text += "last-modified: " + m_lastModified + '\n';
    if (m_total >= 0)
        text += "total: " + QByteArray::number(m_total) + '\n';
    return text;
}

QByteArray ResumeValidators::ifRange() const
{
    // A weak ETag may not stand in If-Range; a date may.
    if (!m_etag.isEmpty() && !m_etag.startsWith("W/"))
        return m_etag;
    return m_lastModified;
}

bool ResumeValidators::sameVersionAs(const ResumeValidators &answer) const
{
    return (m_etag.isEmpty() || m_etag == answer.m_etag)
        && (m_lastModified.isEmpty() || m_lastModified == answer.m_lastModified)
        && (m_total < 0 || m_total == answer.m_total);
}
