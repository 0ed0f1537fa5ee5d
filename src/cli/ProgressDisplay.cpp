#include "ProgressDisplay.h"

#include "Console.h"

#include <QCoreApplication>
#include <QLocale>

#include <sys/ioctl.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

constexpr int redrawIntervalMs = 100; // at most ten redraws a second
constexpr int fallbackWidth = 80;

int terminalWidth()
{
    winsize size {};
    if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
        return size.ws_col;
    return fallbackWidth;
}

QString bytes(qint64 count)
{
    return QLocale::c().formattedDataSize(count, 1, QLocale::DataSizeTraditionalFormat);
}

QString duration(qint64 seconds)
{
    if (seconds >= 3600)
        return u"%1:%2:%3"_s.arg(seconds / 3600)
            .arg(seconds / 60 % 60, 2, 10, QChar(u'0'))
            .arg(seconds % 60, 2, 10, QChar(u'0'));
    return u"%1:%2"_s.arg(seconds / 60).arg(seconds % 60, 2, 10, QChar(u'0'));
}

// \a text cut to \a width characters, so that no live line wraps and the count of lines holds.
QString fitted(const QString &text, int width)
{
    return text.size() <= width ? text : text.left(std::max(0, width - 1)) + u'…';
}

} // namespace

ProgressDisplay::ProgressDisplay(Mode mode, QObject *parent) : QObject(parent), m_mode(mode)
{
    m_redrawTimer.setSingleShot(true);
    m_redrawTimer.setInterval(redrawIntervalMs);
    connect(&m_redrawTimer, &QTimer::timeout, this, &ProgressDisplay::redraw);
}

ProgressDisplay::~ProgressDisplay()
{
    finish();
}

void ProgressDisplay::out(const QString &text)
{
    clearLines();
    Console::out(text);
    scheduleRedraw();
}

void ProgressDisplay::note(const QString &text)
{
    if (m_mode != Mode::Quiet)
        writeErr(text);
}

void ProgressDisplay::error(const QString &text)
{
    writeErr(text);
}

void ProgressDisplay::writeErr(const QString &text)
{
    clearLines();
    Console::err(text);
    scheduleRedraw();
}

int ProgressDisplay::beginTransfer(const QString &name)
{
    const int key = m_nextKey++;
    Transfer &transfer = m_transfers[key];
    transfer.name = name;
    transfer.clock.start();
    if (m_mode == Mode::Plain)
        Console::err(u"%1: downloading %2\n"_s.arg(QCoreApplication::applicationName(),
                                                   Console::escaped(name)));
    scheduleRedraw();
    return key;
}

void ProgressDisplay::updateTransfer(int key, qint64 received, qint64 total)
{
    const auto found = m_transfers.find(key);
    if (found == m_transfers.end())
        return;
    Transfer &transfer = found->second;
    transfer.received = received;
    transfer.total = total;
    if (m_mode == Mode::Plain && total > 0) {
        const int quarters = int(std::min<qint64>(4, received * 4 / total));
        if (quarters > transfer.quartersShown && quarters < 4) {
            transfer.quartersShown = quarters;
            Console::err(
                u"%1: %2: %3% of %4\n"_s
                    .arg(QCoreApplication::applicationName(), Console::escaped(transfer.name))
                    .arg(quarters * 25)
                    .arg(bytes(total)));
        }
    }
    scheduleRedraw();
}

void ProgressDisplay::endTransfer(int key)
{
    const auto found = m_transfers.find(key);
    if (found == m_transfers.end())
        return;
    m_finishedBytes += found->second.received;
    m_transfers.erase(found);
    scheduleRedraw();
}

void ProgressDisplay::setCounts(int done, int failed, int skipped)
{
    m_done = done;
    m_failed = failed;
    m_skipped = skipped;
    scheduleRedraw();
}

void ProgressDisplay::finish()
{
    m_redrawTimer.stop();
    clearLines();
}

void ProgressDisplay::scheduleRedraw()
{
    if (m_mode != Mode::Live)
        return;
    m_dirty = true;
    if (!m_redrawTimer.isActive())
        m_redrawTimer.start();
}

void ProgressDisplay::redraw()
{
    if (!m_dirty)
        return;
    m_dirty = false;
    const int width = terminalWidth();
    QString text;
    if (m_drawnLines > 0)
        text += u"\x1b[%1F\x1b[J"_s.arg(m_drawnLines); // back to the first live line, cleared
    int lines = 0;
    for (const auto &[key, transfer] : m_transfers) {
        text += fitted(lineOf(transfer, width), width) + u'\n';
        ++lines;
    }
    if (lines > 0 || m_done + m_failed + m_skipped > 0) {
        text += fitted(totalLine(), width) + u'\n';
        ++lines;
    }
    m_drawnLines = lines;
    Console::err(text);
}

void ProgressDisplay::clearLines()
{
    if (m_mode != Mode::Live || m_drawnLines == 0)
        return;
    Console::err(u"\x1b[%1F\x1b[J"_s.arg(m_drawnLines));
    m_drawnLines = 0;
    m_dirty = true;
}

QString ProgressDisplay::lineOf(const Transfer &transfer, int width) const
{
    const double seconds = std::max<qint64>(1, transfer.clock.elapsed()) / 1000.0;
    const qint64 speed = qint64(double(transfer.received) / seconds);
    QString figures;
    if (transfer.total > 0) {
        figures = u"%1 / %2 %3%"_s.arg(bytes(transfer.received), bytes(transfer.total))
                      .arg(transfer.received * 100 / transfer.total, 3);
    } else {
        figures = bytes(transfer.received);
    }
    figures += u"  %1/s"_s.arg(bytes(speed));
    if (transfer.total > 0 && speed > 0)
        figures += u"  %1 left"_s.arg(duration((transfer.total - transfer.received) / speed));
    const int nameWidth = std::max(8, width - int(figures.size()) - 3);
    return u"  "_s + fitted(Console::escaped(transfer.name), nameWidth) + u' ' + figures;
}

QString ProgressDisplay::totalLine() const
{
    qint64 received = m_finishedBytes;
    for (const auto &[key, transfer] : m_transfers)
        received += transfer.received;
    return u"total: %1 running, %2 saved, %3 skipped, %4 failed, %5"_s.arg(m_transfers.size())
        .arg(m_done)
        .arg(m_skipped)
        .arg(m_failed)
        .arg(bytes(received));
}
