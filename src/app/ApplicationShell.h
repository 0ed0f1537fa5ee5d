#pragma once

#include "LaunchOptions.h"

#include <QObject>
#include <QPointer>
#include <QSize>

#include <functional>
#include <memory>

class AppDelegate;
class DemoPlatform;
class SceneDelegate;
class ViewController;
class WindowMenu;
class WindowQueue;
class QWidget;

/*!
 * \brief Starts the application the way a phone's toolkit would: asks the application delegate
 * for the scene configuration, creates the scene delegate the configuration names, loads the
 * main interface it names into a window, hands the window to the scene delegate and shows it.
 *
 * It also applies the launch options: the interface language (`--lang`, else the system's), the
 * platform's endpoints, `--demo` (the sample platform, started in-process, with a sample share
 * text in the field) and `--screenshot`; the language of the settings file when `--lang` is not
 * given. The window carries the application's icon and a menu (WindowMenu), and quits on Ctrl+Q.
 */
class ApplicationShell : public QObject
{
    Q_OBJECT

public:
    explicit ApplicationShell(QObject *parent = nullptr);
    ~ApplicationShell() override;

    /*! The window's size on start: a phone's screen. The window can be resized. */
    static QSize defaultWindowSize();

    /*! Runs the launch; false (with a warning) when the scene cannot be made. */
    bool launch(const LaunchOptions &options);

    AppDelegate *delegate() const;
    SceneDelegate *sceneDelegate() const;
    ViewController *mainScreen() const;
    /*! The window's menu, with the settings and the history. */
    WindowMenu *windowMenu() const;
    /*! The download queue beside the screen. */
    WindowQueue *windowQueue() const { return m_windowQueue.get(); }
    /*! The in-process sample platform of a demo run, else nullptr. */
    DemoPlatform *demoPlatform() const;

private:
    bool connectScene();
    QWidget *loadMainInterface(const QString &storyboardName);
    bool startDemo(LaunchOptions &options);
    void followApplicationState();
    void takeScreenshot(const QString &path, const QString &scene);
    void whenReady(const std::function<bool()> &ready, const std::function<void()> &then);
    void saveScreenshotSoon(const QString &path);
    void saveScreenshot(const QString &path);

    std::unique_ptr<AppDelegate> m_delegate;
    std::unique_ptr<SceneDelegate> m_sceneDelegate;
    QPointer<ViewController> m_mainScreen;
    std::unique_ptr<DemoPlatform> m_demoPlatform;
    std::unique_ptr<WindowMenu> m_windowMenu;
    std::unique_ptr<WindowQueue> m_windowQueue;
};
