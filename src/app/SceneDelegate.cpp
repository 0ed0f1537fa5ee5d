#include "SceneDelegate.h"

#include <QWidget>

SceneDelegate::SceneDelegate(QObject *parent) : QObject(parent) { }

SceneDelegate::~SceneDelegate() = default;

QWidget *SceneDelegate::window() const
{
    return m_window.get();
}

void SceneDelegate::setWindow(QWidget *window)
{
    if (m_window.get() != window)
        m_window.reset(window);
}

void SceneDelegate::willConnectToSession() { }

void SceneDelegate::sceneDidDisconnect() { }

void SceneDelegate::sceneDidBecomeActive() { }

void SceneDelegate::sceneWillResignActive() { }

void SceneDelegate::sceneWillEnterForeground() { }

void SceneDelegate::sceneDidEnterBackground() { }
