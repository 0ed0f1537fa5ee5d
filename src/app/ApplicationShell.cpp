#include "ApplicationShell.h"

#include "AppDelegate.h"
#include "DemoPlatform.h"
#include "PlayerView.h"
#include "SceneDelegate.h"
#include "VideoFrameView.h"
#include "ViewController.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QLineEdit>
#include <QMediaPlayer>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

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
    m_sceneDelegate.reset();
}

QSize ApplicationShell::defaultWindowSize()
{
    return { 390, 844 };
}

bool ApplicationShell::launch(const LaunchOptions &launchOptions)
{
    LaunchOptions options = launchOptions;
    if (options.demo && !startDemo(options))
        return false;
    if (!m_delegate->didFinishLaunchingWithOptions({}) || !connectScene())
        return false;
    m_mainScreen->setEndpoints(options.endpoints);
    if (m_demoPlatform) {
        m_mainScreen->textField()->setText(m_demoPlatform->sampleShareText());
        m_mainScreen->textField()->setCursorPosition(0);
    }
    m_sceneDelegate->window()->show();
    followApplicationState();
    if (!options.screenshotPath.isEmpty())
        takeScreenshot(options.screenshotPath);
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
    auto *layout = new QVBoxLayout(window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(screen);
    window->resize(defaultWindowSize());
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

void ApplicationShell::takeScreenshot(const QString &path)
{
    // Parse the text in the field, give the video time to show its first picture, then copy the
    // address so that the confirmation HUD is on screen, and take the picture once it has faded in.
    m_mainScreen->parse();
    auto *poll = new QTimer(this);
    const QDeadlineTimer deadline(8000);
    connect(poll, &QTimer::timeout, this, [this, poll, deadline, path] {
        PlayerView *player = m_mainScreen->playerView();
        const bool playing
            = player && player->videoSurface()->hasFrame() && player->player()->position() > 500;
        if (!playing && !deadline.hasExpired())
            return;
        poll->deleteLater();
        m_mainScreen->copyPlayAddress();
        QTimer::singleShot(700, this, [this, path] { saveScreenshot(path); });
    });
    poll->start(50);
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
