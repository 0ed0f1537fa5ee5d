#include "ProgressDisplay.h"

#include "Console.h"

#include <QCoreApplication>
#include <QLocale>

#include <algorithm>
#include <iterator>
#include <utility>

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

QString twoDigits(qint64 number)
{
    return QString::number(number).rightJustified(2, u'0');
}

QString duration(qint64 seconds)
{
    if (seconds >= 3600)
        return u"%1:%2:%3"_s.arg(QString::number(seconds / 3600), twoDigits(seconds / 60 % 60),
                                 twoDigits(seconds % 60));
    return u"%1:%2"_s.arg(QString::number(seconds / 60), twoDigits(seconds % 60));
}

// The East Asian wide and full-width blocks, and the pictographs terminals draw two cells wide.
constexpr std::pair<char32_t, char32_t> wideRanges[] = {
    { 0x1100, 0x115F },   { 0x231A, 0x231B },   { 0x2329, 0x232A },   { 0x23E9, 0x23EC },
    { 0x23F0, 0x23F0 },   { 0x23F3, 0x23F3 },   { 0x25FD, 0x25FE },   { 0x2614, 0x2615 },
    { 0x2648, 0x2653 },   { 0x267F, 0x267F },   { 0x2693, 0x2693 },   { 0x26A1, 0x26A1 },
    { 0x26AA, 0x26AB },   { 0x26BD, 0x26BE },   { 0x26C4, 0x26C5 },   { 0x26CE, 0x26CE },
    { 0x26D4, 0x26D4 },   { 0x26EA, 0x26EA },   { 0x26F2, 0x26F5 },   { 0x26FA, 0x26FD },
    { 0x2705, 0x2705 },   { 0x270A, 0x270B },   { 0x2728, 0x2728 },   { 0x274C, 0x274C },
    { 0x2753, 0x2757 },   { 0x2795, 0x2797 },   { 0x27B0, 0x27B0 },   { 0x27BF, 0x27BF },
    { 0x2B1B, 0x2B1C },   { 0x2B50, 0x2B50 },   { 0x2B55, 0x2B55 },   { 0x2E80, 0x303E },
    { 0x3041, 0x33FF },   { 0x3400, 0x4DBF },   { 0x4E00, 0x9FFF },   { 0xA000, 0xA4CF },
    { 0xA960, 0xA97F },   { 0xAC00, 0xD7A3 },   { 0xF900, 0xFAFF },   { 0xFE10, 0xFE19 },
    { 0xFE30, 0xFE6F },   { 0xFF00, 0xFF60 },   { 0xFFE0, 0xFFE6 },   { 0x16FE0, 0x18AFF },
    { 0x1B000, 0x1B2FF }, { 0x1F004, 0x1F004 }, { 0x1F0CF, 0x1F0CF }, { 0x1F18E, 0x1F18E },
    { 0x1F191, 0x1F19A }, { 0x1F200, 0x1F251 }, { 0x1F300, 0x1F64F }, { 0x1F680, 0x1F6FF },
    { 0x1F7E0, 0x1F7EB }, { 0x1F90C, 0x1F9FF }, { 0x1FA70, 0x1FAFF }, { 0x20000, 0x3FFFD },
};

// How many terminal cells \a code takes: two for wide characters, none for combining marks and
// other characters drawn over their neighbour.
int cellsOf(char32_t code)
{
    switch (QChar::category(code)) {
    case QChar::Mark_NonSpacing:
    case QChar::Mark_Enclosing:
    case QChar::Other_Format:
        return 0;
    default:
        break;
    }
    const auto wide = std::find_if(std::cbegin(wideRanges), std::cend(wideRanges),
                                   [code](const auto &range) { return code <= range.second; });
    return wide != std::cend(wideRanges) && code >= wide->first ? 2 : 1;
}

int cellsOf(const QString &text)
{
    int cells = 0;
    for (const char32_t code : QStringView(text).toUcs4())
        cells += cellsOf(code);
    return cells;
}

// \a text cut to \a width terminal cells, so that no live line wraps and the count of lines
// holds.
QString fitted(const QString &text, int width)
{
    if (cellsOf(text) <= width)
        return text;
    QString kept;
    int cells = 0;
    for (const char32_t code : QStringView(text).toUcs4()) {
        cells += cellsOf(code);
        if (cells > width - 1) // one cell stays for the ellipsis
            break;
        kept += QString::fromUcs4(&code, 1);
    }
    return kept + u'…';
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
            Console::err(u"%1: %2: %3% of %4\n"_s.arg(
                QCoreApplication::applicationName(), Console::escaped(transfer.name),
                QString::number(quarters * 25), bytes(total)));
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

void ProgressDisplay::setCounts(const BatchCounts &counts)
{
    m_counts = counts;
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
    // The last column stays free: some terminals wrap a line that fills it.
    const int width = terminalWidth() - 1;
    QString text;
    if (m_drawnLines > 0)
        text += u"\x1b[%1F\x1b[J"_s.arg(m_drawnLines); // back to the first live line, cleared
    int lines = 0;
    for (const auto &[key, transfer] : m_transfers) {
        text += fitted(lineOf(transfer, width), width) + u'\n';
        ++lines;
    }
    if (lines > 0 || m_counts.total() > 0) {
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
        figures = u"%1 / %2 %3%"_s.arg(
            bytes(transfer.received), bytes(transfer.total),
            QString::number(transfer.received * 100 / transfer.total).rightJustified(3));
    } else {
        figures = bytes(transfer.received);
    }
    figures += u"  %1/s"_s.arg(bytes(speed));
    if (transfer.total > 0 && speed > 0)
        figures += u"  %1 left"_s.arg(duration((transfer.total - transfer.received) / speed));
    const int nameWidth = std::max(8, width - cellsOf(figures) - 3);
    return u"  "_s + fitted(Console::escaped(transfer.name), nameWidth) + u' ' + figures;
}

QString ProgressDisplay::totalLine() const
{
    qint64 received = m_finishedBytes;
    for (const auto &[key, transfer] : m_transfers)
        received += transfer.received;
    return u"total: %1 running, %2 saved, %3 skipped, %4 failed%5, %6"_s.arg(
        QString::number(m_transfers.size()), QString::number(m_counts.done),
        QString::number(m_counts.skipped), QString::number(m_counts.failed), m_counts.unfinished(),
        bytes(received));
}
