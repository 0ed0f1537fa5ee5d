#include "ApplicationShell.h"

#include "AppDelegate.h"
#include "BusyIndicator.h"
#include "DemoPlatform.h"
#include "Fen_QorProgressHUD.h"
#include "Fen_QorShortcuts.h"
#include "GalleryView.h"
#include "InterfaceLanguage.h"
#include "PlayerView.h"
#include "SceneDelegate.h"
#include "Settings.h"
#include "VideoFrameView.h"
#include "ViewController.h"
#include "WindowMenu.h"
#include "WindowQueue.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QIcon>
#include <QLineEdit>
#include <QMediaPlayer>
#include <QScreen>
#include <QShortcut>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

// The classes a scene configuration and an interface description may name.
const QMetaObject *knownClass(const QString &className)
{
    for (const QMetaObject *metaObject :
         { &SceneDelegate::staticMetaObject, &ViewController::staticMetaObject }) {
        if (QLatin1StringView(metaObject->className()) == className)
            return metaObject;
    }
    return nullptr;
}

template<typename T>
T *instantiate(const QString &className)
{
    const QMetaObject *metaObject = knownClass(className);
    return metaObject ? qobject_cast<T *>(metaObject->newInstance()) : nullptr;
}

} // namespace

ApplicationShell::ApplicationShell(QObject *parent)
    : QObject(parent), m_delegate(std::make_unique<AppDelegate>())
{ }

ApplicationShell::~ApplicationShell()
{
    // The window (and with it the screen) goes before the sample platform it may still talk to.
    m_windowMenu.reset();
    m_sceneDelegate.reset();
}

QSize ApplicationShell::defaultWindowSize()
{
    return { 390, 844 };
}

bool ApplicationShell::launch(const LaunchOptions &launchOptions)
{
    LaunchOptions options = launchOptions;
    // --lang, else the settings file's language, else the system's.
    const QString chosenLanguage = Settings().language();
    const QString language = options.language.value_or(
        chosenLanguage.isEmpty() ? InterfaceLanguage::fromLocale(QLocale::system())
                                 : chosenLanguage);
    if (!InterfaceLanguage::install(language))
        qWarning().noquote() << u"No translation for the language %1"_s.arg(language);
    QGuiApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/" KIVORA_APP_ID ".svg")));
    QGuiApplication::setDesktopFileName(QStringLiteral(KIVORA_APP_ID));
    if (options.demo && !startDemo(options))
        return false;
    if (!m_delegate->didFinishLaunchingWithOptions({}) || !connectScene())
        return false;
    m_mainScreen->setEndpoints(options.endpoints);
    m_windowMenu
        = std::make_unique<WindowMenu>(m_sceneDelegate->window(), m_mainScreen, options.endpoints);
    m_windowQueue = std::make_unique<WindowQueue>(m_sceneDelegate->window(), m_mainScreen,
                                                  m_windowMenu->history(), options.endpoints);
    m_windowQueue->applySettings(Settings());
    connect(m_windowMenu.get(), &WindowMenu::settingsApplied, m_windowQueue.get(),
            &WindowQueue::applySettings);
    if (m_demoPlatform) {
        m_mainScreen->textField()->setText(m_demoPlatform->sampleShareText());
        m_mainScreen->textField()->setCursorPosition(0);
    }
    m_sceneDelegate->window()->show();
    followApplicationState();
    if (!options.screenshotPath.isEmpty())
        takeScreenshot(options.screenshotPath, options.screenshotScene);
    return true;
}

AppDelegate *ApplicationShell::delegate() const
{
    return m_delegate.get();
}

SceneDelegate *ApplicationShell::sceneDelegate() const
{
    return m_sceneDelegate.get();
}

ViewController *ApplicationShell::mainScreen() const
{
    return m_mainScreen;
}

WindowMenu *ApplicationShell::windowMenu() const
{
    return m_windowMenu.get();
}

DemoPlatform *ApplicationShell::demoPlatform() const
{
    return m_demoPlatform.get();
}

bool ApplicationShell::connectScene()
{
    const SceneConfiguration configuration = m_delegate->configurationForConnectingSceneSession(
        SceneConfiguration::windowApplicationRole());
    m_sceneDelegate.reset(instantiate<SceneDelegate>(configuration.delegateClassName()));
    QWidget *window = m_sceneDelegate ? loadMainInterface(configuration.storyboardName()) : nullptr;
    if (!window) {
        qWarning().noquote() << u"No scene for the configuration \"%1\""_s.arg(
            configuration.name());
        return false;
    }
    m_sceneDelegate->setWindow(window);
    m_sceneDelegate->willConnectToSession();
    return true;
}

QWidget *ApplicationShell::loadMainInterface(const QString &storyboardName)
{
    // An interface description is compiled into the class it describes, named after its file.
    ViewController *screen = instantiate<ViewController>(QFileInfo(storyboardName).baseName());
    if (!screen)
        return nullptr;
    auto *window = new QWidget;
    window->setWindowTitle(u"Kivora"_s);
    // The screen, and the download queue beside it once it has rows.
    auto *layout = new QHBoxLayout(window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(screen);
    window->resize(defaultWindowSize());
    auto *quit = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q), window);
    quit->setContext(Qt::ApplicationShortcut);
    connect(quit, &QShortcut::activated, window, &QWidget::close);
    m_mainScreen = screen;
    return window;
}

bool ApplicationShell::startDemo(LaunchOptions &options)
{
    QString error;
    m_demoPlatform = DemoPlatform::start(&error);
    if (!m_demoPlatform) {
        qWarning().noquote() << u"The demo could not start. %1"_s.arg(error);
        return false;
    }
    options.endpoints = m_demoPlatform->endpoints();
    return true;
}

void ApplicationShell::followApplicationState()
{
    connect(qApp, &QGuiApplication::applicationStateChanged, this,
            [this](Qt::ApplicationState state) {
                if (!m_sceneDelegate)
                    return;
                switch (state) {
                case Qt::ApplicationActive:
                    m_sceneDelegate->sceneDidBecomeActive();
                    break;
                case Qt::ApplicationInactive:
                    m_sceneDelegate->sceneWillResignActive();
                    break;
                case Qt::ApplicationHidden:
                case Qt::ApplicationSuspended:
                    m_sceneDelegate->sceneDidEnterBackground();
                    break;
                }
            });
}

// The pictures of the README, made by the application itself: each scene drives the screen as a
// user would and takes the picture once the screen shows what the scene is about.
void ApplicationShell::takeScreenshot(const QString &path, const QString &scene)
{
    ViewController *screen = m_mainScreen;
    const auto playing = [screen] {
        PlayerView *player = screen->playerView();
        return player && player->isVisible() && player->videoSurface()->hasFrame()
            && player->player()->position() > 500;
    };
    if (m_demoPlatform && scene == u"gallery"_s)
        screen->textField()->setText(m_demoPlatform->shareText(DemoPlatform::Sample::Gallery));
    if (m_demoPlatform && scene == u"failure"_s)
        screen->textField()->setText(m_demoPlatform->shareText(DemoPlatform::Sample::Failure));
    screen->textField()->setCursorPosition(0);
    screen->parse();

    if (scene == u"gallery"_s) {
        whenReady(
            [screen] {
                GalleryView *gallery = screen->galleryView();
                if (!gallery || gallery->images().isEmpty() || Fen_QorHasHUD(screen))
                    return false;
                for (int i = 0; i < gallery->images().size(); ++i) {
                    if (gallery->image(i).isNull() && !gallery->hasFailed(i))
                        return false;
                }
                return true;
            },
            [this, path] { saveScreenshotSoon(path); });
    } else if (scene == u"failure"_s) {
        whenReady([screen] { return !screen->isBusy() && Fen_QorHasHUD(screen); },
                  [this, path] { saveScreenshotSoon(path); });
    } else if (scene == u"download"_s) {
        whenReady(playing, [this, screen, path] {
            if (m_demoPlatform)
                m_demoPlatform->slowDownMedia();
            screen->download();
            whenReady(
                [screen] {
                    const Fen_QorProgressHUD *hud = screen->busyIndicator()->hud();
                    return hud && hud->progress() > 0.0f;
                },
                [this, path] { saveScreenshotSoon(path); });
        });
    } else {
        whenReady(playing, [this, screen, path] {
            screen->copyPlayAddress();
            saveScreenshotSoon(path);
        });
    }
}

// Polls \a ready until it holds, or for at most 10 s, then runs \a then.
void ApplicationShell::whenReady(const std::function<bool()> &ready,
                                 const std::function<void()> &then)
{
    auto *poll = new QTimer(this);
    const QDeadlineTimer deadline(10000);
    connect(poll, &QTimer::timeout, this, [poll, deadline, ready, then] {
        if (!ready() && !deadline.hasExpired())
            return;
        poll->deleteLater();
        then();
    });
    poll->start(50);
}

// Once the HUD on screen has faded in.
void ApplicationShell::saveScreenshotSoon(const QString &path)
{
    QTimer::singleShot(700, this, [this, path] { saveScreenshot(path); });
}

void ApplicationShell::saveScreenshot(const QString &path)
{
    // The screen's picture of the window, as the user sees it (overlays and effects included).
    QWidget *window = m_sceneDelegate->window();
    const bool saved = window->screen()->grabWindow(window->winId()).save(path);
    if (!saved)
        qWarning().noquote() << u"Could not save the screenshot to %1"_s.arg(path);
    QCoreApplication::exit(saved ? 0 : 1);
}
