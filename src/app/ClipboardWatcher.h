#pragma once

#include "Endpoints.h"

#include <QObject>
#include <QStringList>

class QClipboard;

/*!
 * \brief Offers the platform links of a text copied in another program while Kivora runs (off
 * unless the setting clipboard/watch is on).
 *
 * What Kivora copies itself (its Copy button, the field) is passed over, and so is a text offered
 * already.
 */
class ClipboardWatcher : public QObject
{
    Q_OBJECT

public:
    /*! The most of a copied text that is read, and the most links offered from it. */
    static constexpr qsizetype mostCharacters = 1 << 16;
    static constexpr int mostLinks = 100;

    explicit ClipboardWatcher(QClipboard *clipboard, QObject *parent = nullptr);

    void setEnabled(bool enabled);
    bool isEnabled() const;
    void setEndpoints(const Endpoints &endpoints);

    /*! Every short link and item link in \a text, in order, each once. */
    static QStringList linksIn(const QString &text, const Endpoints &endpoints);

Q_SIGNALS:
    void linksOffered(const QStringList &links);

private:
    void clipboardChanged();

    QClipboard *m_clipboard;
    Endpoints m_endpoints;
    QString m_lastText;
    bool m_enabled = false;
};
