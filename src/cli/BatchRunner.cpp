#include "BatchRunner.h"

#include "Console.h"
#include "ProgressDisplay.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QJsonObject>
#include <QtEndian>

using namespace Qt::StringLiterals;

namespace {

quint64 digestOf(const QString &text)
{
    const QByteArray digest = QCryptographicHash::hash(text.toUtf8(), QCryptographicHash::Sha256);
    return qFromUnaligned<quint64>(digest.constData());
}

} // namespace

BatchRunner::BatchRunner(InputSource &inputs, int jobs, Factory factory, const Reporting &reporting,
                         QObject *parent)
    : QObject(parent)
    , m_inputs(inputs)
    , m_jobs(std::max(1, jobs))
    , m_factory(std::move(factory))
    , m_reporting(reporting)
{
    connect(&m_inputs, &InputSource::inputsReady, this, &BatchRunner::startMore);
}

void BatchRunner::start()
{
    startMore();
}

void BatchRunner::stop()
{
    if (m_stopping)
        return;
    m_stopping = true;
    // A copy: a stopped item may finish, and leave the set, at once.
    const std::set<BatchItem *> running = m_running;
    for (BatchItem *item : running)
        item->stop();
    finishWhenIdle();
}

void BatchRunner::startMore()
{
    while (!m_stopping && int(m_running.size()) < m_jobs) {
        const std::optional<InputSource::Input> input = m_inputs.next();
        if (!input)
            break;
        if (passOver(*input))
            continue;
        BatchItem *item = m_factory(input->text, this);
        m_running.insert(item);
        connect(item, &BatchItem::finished, this,
                [this, item](BatchItem::Outcome outcome) { itemFinished(item, outcome); });
        item->start();
    }
    finishWhenIdle();
}

// True when \a input gets no item: a refused line, or a repeat of an input already started.
bool BatchRunner::passOver(const InputSource::Input &input)
{
    if (input.tooLong) {
        reportPassedOver(
            input, BatchItem::Outcome::Failed,
            u"the line is longer than %1 bytes; it is no input"_s.arg(InputSource::longestLine));
        return true;
    }
    const quint64 digest = digestOf(input.text);
    if (!m_seen.contains(digest)) {
        m_seen.insert(digest);
        return false;
    }
    reportPassedOver(input, BatchItem::Outcome::Skipped,
                     u"the same input as an earlier one, skipped"_s);
    return true;
}

void BatchRunner::reportPassedOver(const InputSource::Input &input, BatchItem::Outcome outcome,
                                   const QString &reason)
{
    const bool failed = outcome == BatchItem::Outcome::Failed;
    const QString where
        = input.tooLong ? u"line %1"_s.arg(input.line) : Console::shownInput(input.text);
    const QString message = u"%1: %2: %3: %4\n"_s.arg(QCoreApplication::applicationName(),
                                                      m_reporting.command, where, reason);
    if (failed)
        m_reporting.display->error(message);
    else
        m_reporting.display->note(message);
    if (m_reporting.json) {
        QJsonObject object { { u"status"_s, failed ? u"failed"_s : u"skipped"_s },
                             { failed ? u"error"_s : u"reason"_s, reason } };
        if (input.line > 0)
            object.insert(u"line"_s, input.line);
        if (!input.tooLong)
            object.insert(u"input"_s, input.text);
        m_reporting.display->out(Console::jsonLine(object));
    }
    m_counts.count(outcome);
    m_reporting.display->setCounts(m_counts);
}

void BatchRunner::itemFinished(BatchItem *item, BatchItem::Outcome outcome)
{
    m_running.erase(item);
    item->deleteLater();
    m_counts.count(outcome);
    m_reporting.display->setCounts(m_counts);
    startMore();
}

void BatchRunner::finishWhenIdle()
{
    if (m_finished || !m_running.empty() || (!m_stopping && !m_inputs.atEnd()))
        return;
    m_finished = true;
    Q_EMIT finished();
}
