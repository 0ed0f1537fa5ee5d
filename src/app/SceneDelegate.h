#pragma once

#include <QObject>

#include <memory>

class QWidget;

/*!
 * \brief The delegate of the application's window scene: it holds the scene's window, which the
 * shell fills from the main interface description. The scene's life-cycle notices change
 * nothing: a parse or download in progress goes on.
 */
class SceneDelegate : public QObject
{
    Q_OBJECT

public:
    Q_INVOKABLE explicit SceneDelegate(QObject *parent = nullptr);
    ~SceneDelegate() override;

    QWidget *window() const;
    /*! Takes ownership of \a window (the previous one is destroyed). */
    void setWindow(QWidget *window);

    void willConnectToSession();
    void sceneDidDisconnect();
    void sceneDidBecomeActive();
    void sceneWillResignActive();
    void sceneWillEnterForeground();
    void sceneDidEnterBackground();

private:
    std::unique_ptr<QWidget> m_window;
};
