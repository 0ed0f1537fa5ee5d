#include "ClipboardWatcher.h"

#include "PlatformLink.h"

#include <QClipboard>

ClipboardWatcher::ClipboardWatcher(QClipboard *clipboard, QObject *parent)
    : QObject(parent), m_clipboard(clipboard)
{
    connect(m_clipboard, &QClipboard::dataChanged, this, &ClipboardWatcher::clipboardChanged);
}

void ClipboardWatcher::setEnabled(bool enabled)
{
    m_enabled = enabled;
}

bool ClipboardWatcher::isEnabled() const
{
    return m_enabled;
}

void ClipboardWatcher::setEndpoints(const Endpoints &endpoints)
{
    m_endpoints = endpoints;
}

QStringList ClipboardWatcher::linksIn(const QString &text, const Endpoints &endpoints)
{
    QStringList links;
    QStringView rest = QStringView(text).left(mostCharacters);
    while (links.size() < mostLinks) {
        const std::optional<QString> link = PlatformLink::findFirst(rest.toString(), endpoints);
        if (!link)
            break;
        if (!links.contains(*link))
            links.append(*link);
        rest = rest.mid(rest.indexOf(*link) + link->size());
    }
    return links;
}

void ClipboardWatcher::clipboardChanged()
{
    if (!m_enabled || m_clipboard->ownsClipboard())
        return;
    const QString text = m_clipboard->text().left(mostCharacters);
    if (text == m_lastText)
        return;
    m_lastText = text;
    const QStringList links = linksIn(text, m_endpoints);
    if (!links.isEmpty())
        Q_EMIT linksOffered(links);
}
