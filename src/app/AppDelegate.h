#pragma once

#include "SceneConfiguration.h"

#include <QObject>
#include <QStringList>
#include <QVariantMap>

class QWidget;

/*!
 * \brief The application's delegate: it names the scene configuration for every new window and
 * otherwise leaves the start-up to the shell.
 */
class AppDelegate : public QObject
{
    Q_OBJECT

public:
    explicit AppDelegate(QObject *parent = nullptr);

    /*! Nothing to prepare; always true. */
    bool didFinishLaunchingWithOptions(const QVariantMap &launchOptions);
    /*! "Default Configuration" for the connecting session's \a role. */
    SceneConfiguration configurationForConnectingSceneSession(const QString &role) const;
    /*! Nothing is kept per scene, so nothing is discarded. */
    void didDiscardSceneSessions(const QStringList &sessions);

    /*! The delegate keeps no window of its own: the scene delegate holds it. */
    QWidget *window() const;
};
