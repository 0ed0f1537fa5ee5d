#include "SceneConfiguration.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace Qt::StringLiterals;

// The manifest sits in a static library's resources, which are registered by hand.
static void registerManifestResource()
{
    Q_INIT_RESOURCE(kivora);
}

namespace {

QJsonObject manifestEntry(const QString &name, const QString &role)
{
    static const bool registered = (registerManifestResource(), true);
    Q_UNUSED(registered);
    QFile file(u":/kivora/SceneManifest.json"_s);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QJsonArray configurations = QJsonDocument::fromJson(file.readAll())
                                          .object()
                                          .value(u"sceneConfigurations"_s)
                                          .toObject()
                                          .value(role)
                                          .toArray();
    for (const QJsonValue &configuration : configurations) {
        if (configuration[u"name"_s].toString() == name)
            return configuration.toObject();
    }
    return {};
}

} // namespace

QString SceneConfiguration::windowApplicationRole()
{
    return u"windowApplication"_s;
}

SceneConfiguration::SceneConfiguration(const QString &name, const QString &sessionRole)
    : m_name(name), m_role(sessionRole)
{
    const QJsonObject entry = manifestEntry(name, sessionRole);
    m_delegateClassName = entry.value(u"delegateClass"_s).toString();
    m_storyboardName = entry.value(u"storyboard"_s).toString();
}

QString SceneConfiguration::name() const
{
    return m_name;
}

QString SceneConfiguration::role() const
{
    return m_role;
}

QString SceneConfiguration::delegateClassName() const
{
    return m_delegateClassName;
}

QString SceneConfiguration::storyboardName() const
{
    return m_storyboardName;
}

bool SceneConfiguration::isValid() const
{
    return !m_delegateClassName.isEmpty() && !m_storyboardName.isEmpty();
}
