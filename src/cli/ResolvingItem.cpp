#include "ResolvingItem.h"

#include "Console.h"
#include "ProgressDisplay.h"

#include <QCoreApplication>

using namespace Qt::StringLiterals;

ResolvingItem::ResolvingItem(const QString &command, const QString &input,
                             const RunContext &context, QObject *parent)
    : BatchItem(parent)
    , m_command(command)
    , m_input(input)
    , m_context(context)
    , m_resolve(context.endpoints)
{
    m_resolve.setTransferTimeout(context.timeout);
    m_resolve.setText(input);
    connect(&m_resolve, &Job::finished, this, [this] {
        if (m_stopping)
            finish(Outcome::Stopped);
        else
            useResolution(m_resolve.result());
    });
}

void ResolvingItem::start()
{
    m_resolve.start();
}

void ResolvingItem::stop()
{
    if (m_stopping || m_finished)
        return;
    m_stopping = true;
    if (m_resolve.isRunning())
        m_resolve.stop(); // ends its requests and answers at once; the answer ends the item
    else
        stopWork();
}

void ResolvingItem::reportError(const QString &reason) const
{
    const QString input = m_context.batch ? Console::shownInput(m_input) + u": "_s : QString();
    m_context.display->error(u"%1: %2: %3%4\n"_s.arg(QCoreApplication::applicationName(), m_command,
                                                     input, Console::escaped(reason)));
}

void ResolvingItem::finish(Outcome outcome)
{
    if (m_finished)
        return;
    m_finished = true;
    Q_EMIT finished(outcome);
}
