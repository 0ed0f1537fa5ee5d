#include "InputSource.h"

#include <cerrno>
#include <cstring>
#include <utility>

#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

constexpr qsizetype readAheadLines = 256;
constexpr qsizetype readBytes = 64 * 1024;

} // namespace

InputSource::InputSource(const QStringList &inputs, QObject *parent) : QObject(parent)
{
    for (const QString &input : inputs)
        m_ready.push_back({ input, 0, false });
}

InputSource::~InputSource() = default;

bool InputSource::openBatchFile(const QString &path, QString *error)
{
    const bool standardInput = path == u"-"_s;
    if (!standardInput)
        m_batch.setFileName(path);
    const bool opened = standardInput ? m_batch.open(STDIN_FILENO, QIODevice::ReadOnly)
                                      : m_batch.open(QIODevice::ReadOnly);
    if (!opened) {
        *error = u"cannot read the batch file %1: %2"_s.arg(path, m_batch.errorString());
        return false;
    }
    m_batchOpen = true;
    m_notifier = std::make_unique<QSocketNotifier>(m_batch.handle(), QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &InputSource::readAvailable);
    return true;
}

std::optional<InputSource::Input> InputSource::next()
{
    if (m_ready.empty())
        return std::nullopt;
    Input input = std::move(m_ready.front());
    m_ready.pop_front();
    if (m_notifier && qsizetype(m_ready.size()) < readAheadLines / 2)
        m_notifier->setEnabled(true);
    return input;
}

bool InputSource::atEnd() const
{
    return m_ready.empty() && !m_batchOpen;
}

// One read(2) of what the file has now: it never waits, the notifier said there is something
// (or the end).
void InputSource::readAvailable()
{
    char buffer[readBytes];
    const ssize_t count = ::read(m_batch.handle(), buffer, sizeof buffer);
    if (count < 0 && (errno == EINTR || errno == EAGAIN))
        return;
    if (count > 0)
        m_partialLine.append(buffer, qsizetype(count));
    takeLines(count <= 0);
    if (count <= 0) {
        m_notifier.reset();
        m_batch.close();
        m_batchOpen = false;
    } else if (qsizetype(m_ready.size()) >= readAheadLines) {
        m_notifier->setEnabled(false);
    }
    Q_EMIT inputsReady();
}

void InputSource::takeLines(bool atEndOfFile)
{
    qsizetype start = 0;
    for (qsizetype end = m_partialLine.indexOf('\n'); end >= 0;
         end = m_partialLine.indexOf('\n', start)) {
        endLine(QByteArrayView(m_partialLine).sliced(start, end - start));
        start = end + 1;
    }
    m_partialLine.remove(0, start);
    // What is kept of an unfinished line stays bounded: once too long, only its end is looked
    // for.
    if (m_partialLine.size() > longestLine) {
        m_lineTooLong = true;
        m_partialLine.clear();
    }
    if (atEndOfFile && (!m_partialLine.isEmpty() || m_lineTooLong)) {
        endLine(m_partialLine);
        m_partialLine.clear();
    }
}

void InputSource::endLine(QByteArrayView line)
{
    ++m_lineNumber;
    if (std::exchange(m_lineTooLong, false) || line.size() > longestLine) {
        m_ready.push_back({ QString(), m_lineNumber, true });
        return;
    }
    const QString text = QString::fromUtf8(line).trimmed();
    if (!text.isEmpty() && !text.startsWith(u'#'))
        m_ready.push_back({ text, m_lineNumber, false });
}
