#pragma once

#include "Endpoints.h"

#include <QNetworkProxy>
#include <QObject>
#include <QPointer>
#include <QStringList>

#include <memory>

class ClipboardWatcher;
class HistoryDialog;
class HistoryService;
class QMenuBar;
class QMessageBox;
class QWidget;
class Settings;
class SettingsDialog;
class ViewController;

/*!
 * \brief What the window offers beside its one screen: a menu with the settings and the history,
 * the history file itself, and the offers of links copied in other programs.
 *
 * An item opened from the history, or an offered link taken, goes into the screen's field and is
 * parsed as if typed there. The settings of clipboard watching and of the proxy apply at once, on
 * start and whenever the settings dialog saves.
 */
class WindowMenu : public QObject
{
    Q_OBJECT

public:
    /*! Adds the menu to \a window, whose layout holds \a screen. */
    WindowMenu(QWidget *window, ViewController *screen, const Endpoints &endpoints,
               QObject *parent = nullptr);
    ~WindowMenu() override;

    QMenuBar *menuBar() const;
    HistoryService *history() const;
    ClipboardWatcher *clipboardWatcher() const;

    /*! Opens the settings (one dialog at a time). */
    SettingsDialog *openSettings();
    /*! Opens the history (one dialog at a time). */
    HistoryDialog *openHistory();
    /*! The offer on screen of links copied elsewhere, else nullptr. */
    QMessageBox *offer() const;

Q_SIGNALS:
    /*! The settings were read anew (on start and whenever the dialog saves). */
    void settingsApplied(const Settings &settings);

private:
    void applySettings();
    void historyOpened(bool ok, const QString &movedAsidePath, const QString &error);
    void offerLinks(const QStringList &links);
    void showOnScreen(const QString &text);

    QWidget *m_window;
    QPointer<ViewController> m_screen;
    std::unique_ptr<Settings> m_settings;
    HistoryService *m_history;
    ClipboardWatcher *m_clipboardWatcher;
    QMenuBar *m_menuBar;
    QNetworkProxy m_proxyBefore; //!< what an empty proxy setting leaves in place
    QPointer<SettingsDialog> m_settingsDialog;
    QPointer<HistoryDialog> m_historyDialog;
    QPointer<QMessageBox> m_offer;
};
