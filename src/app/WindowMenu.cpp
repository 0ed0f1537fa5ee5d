#include "WindowMenu.h"

#include "ClipboardWatcher.h"
#include "HistoryDialog.h"
#include "HistoryService.h"
#include "ProxyAddress.h"
#include "Settings.h"
#include "SettingsDialog.h"
#include "ViewController.h"

#include <QDir>
#include <QGuiApplication>
#include <QLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QNetworkProxy>
#include <QPushButton>

using namespace Qt::StringLiterals;

WindowMenu::WindowMenu(QWidget *window, ViewController *screen, const Endpoints &endpoints,
                       QObject *parent)
    : QObject(parent)
    , m_window(window)
    , m_screen(screen)
    , m_settings(std::make_unique<Settings>())
    , m_history(new HistoryService(HistoryStore::defaultPath(), this))
    , m_clipboardWatcher(new ClipboardWatcher(QGuiApplication::clipboard(), this))
    , m_menuBar(new QMenuBar(window))
    , m_proxyBefore(QNetworkProxy::applicationProxy())
{
    QMenu *menu = m_menuBar->addMenu(tr("&Kivora"));
    QAction *settings = menu->addAction(tr("&Settings…"), this, &WindowMenu::openSettings);
    settings->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Comma));
    QAction *history = menu->addAction(tr("&History…"), this, &WindowMenu::openHistory);
    history->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_H));
    m_menuBar->setAccessibleName(tr("Menu"));
    window->layout()->setMenuBar(m_menuBar);

    connect(m_history, &HistoryService::opened, this, &WindowMenu::historyOpened);
    m_history->open();
    m_clipboardWatcher->setEndpoints(endpoints);
    connect(m_clipboardWatcher, &ClipboardWatcher::linksOffered, this, &WindowMenu::offerLinks);
    applySettings();
}

WindowMenu::~WindowMenu() = default;

QMenuBar *WindowMenu::menuBar() const
{
    return m_menuBar;
}

HistoryService *WindowMenu::history() const
{
    return m_history;
}

ClipboardWatcher *WindowMenu::clipboardWatcher() const
{
    return m_clipboardWatcher;
}

QMessageBox *WindowMenu::offer() const
{
    return m_offer;
}

SettingsDialog *WindowMenu::openSettings()
{
    if (!m_settingsDialog) {
        m_settingsDialog = new SettingsDialog(m_settings.get(), m_window);
        m_settingsDialog->setAttribute(Qt::WA_DeleteOnClose);
        connect(m_settingsDialog, &QDialog::accepted, this, &WindowMenu::applySettings);
    }
    m_settingsDialog->open();
    return m_settingsDialog;
}

HistoryDialog *WindowMenu::openHistory()
{
    if (!m_historyDialog) {
        m_historyDialog = new HistoryDialog(m_history, m_window);
        m_historyDialog->setAttribute(Qt::WA_DeleteOnClose);
        connect(m_historyDialog, &HistoryDialog::reopenRequested, this, &WindowMenu::showOnScreen);
    }
    m_historyDialog->show();
    m_historyDialog->raise();
    m_historyDialog->activateWindow();
    return m_historyDialog;
}

// The proxy carries the parses and downloads (Qt's network stack); the player's own HTTP source
// follows the system's proxy settings.
void WindowMenu::applySettings()
{
    m_clipboardWatcher->setEnabled(m_settings->clipboardWatch());
    const QString proxy = m_settings->proxy();
    QNetworkProxy::setApplicationProxy(proxy.isEmpty() ? m_proxyBefore
                                                       : ProxyAddress::parse(proxy));
    Q_EMIT settingsApplied(*m_settings);
}

// The history is kept beside everything else; only a file that had to be moved aside, or one
// that cannot be used, is worth a word.
void WindowMenu::historyOpened(bool ok, const QString &movedAsidePath, const QString &error)
{
    QString text;
    if (!ok)
        text = tr("The history cannot be kept: %1").arg(error);
    else if (!movedAsidePath.isEmpty())
        text = tr("The history file was not a database. It was kept as %1 and a new history "
                  "begun.")
                   .arg(QDir::toNativeSeparators(movedAsidePath));
    if (text.isEmpty())
        return;
    auto *box
        = new QMessageBox(QMessageBox::Warning, tr("History"), text, QMessageBox::Ok, m_window);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

void WindowMenu::offerLinks(const QStringList &links)
{
    if (m_offer)
        m_offer->close();
    // The links come from another program: shown as plain text, and only the first few.
    constexpr int shownLinks = 5;
    QString text = tr("%n link(s) copied in another program:", nullptr, int(links.size()));
    text += u'\n' + links.mid(0, shownLinks).join(u'\n');
    if (links.size() > shownLinks)
        text += u"\n…"_s;
    m_offer = new QMessageBox(QMessageBox::Question, tr("Copied links"), text,
                              QMessageBox::NoButton, m_window);
    m_offer->setTextFormat(Qt::PlainText);
    m_offer->setAttribute(Qt::WA_DeleteOnClose);
    QPushButton *open = m_offer->addButton(tr("Open"), QMessageBox::AcceptRole);
    m_offer->addButton(tr("Ignore"), QMessageBox::RejectRole);
    const QString first = links.constFirst();
    connect(open, &QPushButton::clicked, this, [this, first] { showOnScreen(first); });
    m_offer->open();
}

void WindowMenu::showOnScreen(const QString &text)
{
    if (!m_screen || m_screen->isBusy())
        return;
    m_screen->textField()->setText(text);
    m_screen->textField()->setCursorPosition(0);
    m_screen->parse();
}
