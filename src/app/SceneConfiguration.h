#pragma once

#include <QString>

/*!
 * \brief A named scene configuration, as the application delegate hands it out, resolved against
 * the application's scene manifest (the resource ":/kivora/SceneManifest.json"): which class
 * delegates the scene and which interface description fills its window.
 */
class SceneConfiguration
{
public:
    /*! The role of the application's ordinary windows. */
    static QString windowApplicationRole();

    SceneConfiguration(const QString &name, const QString &sessionRole);

    QString name() const;
    QString role() const;
    /*! The scene delegate's class name from the manifest; empty when the manifest has no entry
     *  of this name for this role. */
    QString delegateClassName() const;
    /*! The main interface description (a .ui file name) from the manifest, or empty. */
    QString storyboardName() const;

    bool isValid() const;

private:
    QString m_name;
    QString m_role;
    QString m_delegateClassName;
    QString m_storyboardName;
};
