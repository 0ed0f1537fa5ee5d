#include "Settings.h"

#include "FileNameTemplate.h"
#include "ProxyAddress.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>

using namespace Qt::StringLiterals;

namespace {

const QStringList codecs { u"h264"_s, u"h265"_s, u"bytevc2"_s, u"any"_s };
const QStringList languages { u"zh_CN"_s, u"en"_s };

std::optional<bool> boolFrom(const QVariant &value)
{
    if (value.typeId() == QMetaType::Bool)
        return value.toBool();
    const QString text = value.toString().trimmed().toLower();
    if (text == u"true"_s || text == u"1"_s || text == u"yes"_s || text == u"on"_s)
        return true;
    if (text == u"false"_s || text == u"0"_s || text == u"no"_s || text == u"off"_s)
        return false;
    return std::nullopt;
}

bool isFolder(Settings::Key key)
{
    return key == Settings::Key::VideoFolder || key == Settings::Key::PictureFolder;
}

// Why \a folder cannot take files: a missing folder is created by the first save, so its nearest
// existing parent has to be a writable folder.
QString folderProblem(const QString &folder)
{
    QFileInfo existing(folder);
    while (!existing.exists() && !existing.isRoot())
        existing.setFile(existing.absolutePath());
    if (!existing.isDir())
        return Settings::tr("%1 is not a folder")
            .arg(QDir::toNativeSeparators(existing.filePath()));
    if (!existing.isWritable())
        return Settings::tr("The folder %1 cannot be written")
            .arg(QDir::toNativeSeparators(existing.filePath()));
    return {};
}

// The value \a value stands for under \a key, typed as the getters return it; nothing, with the
// reason in \a problem, when it is not one the key takes. Folders are checked for their form only.
std::optional<QVariant> typedValue(Settings::Key key, const QVariant &value, QString *problem)
{
    using Key = Settings::Key;
    const QString text = value.toString().trimmed();
    switch (key) {
    case Key::VideoFolder:
    case Key::PictureFolder:
        if (!QDir::isAbsolutePath(text)) {
            *problem = Settings::tr("A folder must be given as a full path, not \"%1\"").arg(text);
            return std::nullopt;
        }
        return QDir::cleanPath(text);
    case Key::NameTemplate:
        if (*problem = FileNameTemplate(text).error(); !problem->isEmpty())
            return std::nullopt;
        return text;
    case Key::Parallel: {
        bool valid = false;
        const int number = text.toInt(&valid);
        if (valid && number >= 1 && number <= Settings::mostParallel)
            return number;
        *problem = Settings::tr("Parallel downloads take a number from 1 to %1")
                       .arg(Settings::mostParallel);
        return std::nullopt;
    }
    case Key::Quality: {
        static const QRegularExpression height(u"^[1-9][0-9]{1,3}p$"_s);
        if (text == u"best"_s || text == u"worst"_s || height.match(text).hasMatch())
            return text;
        *problem = Settings::tr("The quality is best, worst or a height such as 720p, not \"%1\"")
                       .arg(text);
        return std::nullopt;
    }
    case Key::Codec:
        if (codecs.contains(text))
            return text;
        *problem
            = Settings::tr("The codec is one of %1, not \"%2\"").arg(codecs.join(u", "_s), text);
        return std::nullopt;
    case Key::LivePhotos:
    case Key::ClipboardWatch:
        if (const std::optional<bool> flag = boolFrom(value))
            return *flag;
        *problem = Settings::tr("Expected true or false, not \"%1\"").arg(text);
        return std::nullopt;
    case Key::Proxy:
        if (text.isEmpty() || ProxyAddress::parse(text).type() != QNetworkProxy::DefaultProxy)
            return text;
        *problem = Settings::tr("The proxy is http://HOST[:PORT] or socks5://HOST[:PORT], not "
                                "\"%1\"")
                       .arg(text);
        return std::nullopt;
    case Key::Language:
        if (text.isEmpty() || languages.contains(text))
            return text;
        *problem = Settings::tr("The language is zh_CN or en (or empty for the system's), not "
                                "\"%1\"")
                       .arg(text);
        return std::nullopt;
    }
    Q_UNREACHABLE();
}

} // namespace

Settings::Settings()
    : m_settings(std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                             u"Kivora"_s, u"Kivora"_s))
{ }

Settings::Settings(const QString &filePath)
    : m_settings(std::make_unique<QSettings>(filePath, QSettings::IniFormat))
{ }

Settings::~Settings() = default;

QString Settings::filePath() const
{
    return m_settings->fileName();
}

QList<Settings::Key> Settings::keys()
{
    return { Key::VideoFolder, Key::PictureFolder, Key::NameTemplate, Key::Parallel,
             Key::Quality,     Key::Codec,         Key::LivePhotos,   Key::Proxy,
             Key::Language,    Key::ClipboardWatch };
}

QString Settings::name(Key key)
{
    switch (key) {
    case Key::VideoFolder:
        return u"downloads/videoFolder"_s;
    case Key::PictureFolder:
        return u"downloads/pictureFolder"_s;
    case Key::NameTemplate:
        return u"downloads/nameTemplate"_s;
    case Key::Parallel:
        return u"downloads/parallel"_s;
    case Key::Quality:
        return u"downloads/quality"_s;
    case Key::Codec:
        return u"downloads/codec"_s;
    case Key::LivePhotos:
        return u"downloads/livePhotos"_s;
    case Key::Proxy:
        return u"network/proxy"_s;
    case Key::Language:
        return u"interface/language"_s;
    case Key::ClipboardWatch:
        return u"clipboard/watch"_s;
    }
    Q_UNREACHABLE();
}

QVariant Settings::defaultValue(Key key)
{
    switch (key) {
    case Key::VideoFolder:
        return QString(QStandardPaths::writableLocation(QStandardPaths::MoviesLocation)
                       + u"/Kivora"_s);
    case Key::PictureFolder:
        return QString(QStandardPaths::writableLocation(QStandardPaths::PicturesLocation)
                       + u"/Kivora"_s);
    case Key::Parallel:
        return 2;
    case Key::Quality:
        return u"best"_s;
    case Key::Codec:
        return u"h264"_s;
    case Key::LivePhotos:
        return true;
    case Key::ClipboardWatch:
        return false;
    case Key::NameTemplate:
    case Key::Proxy:
    case Key::Language:
        return QString();
    }
    Q_UNREACHABLE();
}

QString Settings::problem(Key key, const QVariant &value)
{
    QString reason;
    const std::optional<QVariant> typed = typedValue(key, value, &reason);
    if (typed && isFolder(key))
        reason = folderProblem(typed->toString());
    return reason;
}

QVariant Settings::value(Key key) const
{
    const QVariant stored = m_settings->value(name(key));
    QString ignored;
    const std::optional<QVariant> typed
        = stored.isValid() ? typedValue(key, stored, &ignored) : std::nullopt;
    return typed.value_or(defaultValue(key));
}

bool Settings::contains(Key key) const
{
    return m_settings->contains(name(key));
}

QString Settings::set(Key key, const QVariant &value)
{
    if (const QString reason = problem(key, value); !reason.isEmpty())
        return reason;
    QString ignored;
    m_settings->setValue(name(key), *typedValue(key, value, &ignored));
    return {};
}

QStringList Settings::problems() const
{
    QStringList found;
    for (Key key : keys()) {
        QString reason;
        if (contains(key) && !typedValue(key, m_settings->value(name(key)), &reason))
            found += name(key) + u": "_s + reason;
    }
    return found;
}

QString Settings::sync()
{
    m_settings->sync();
    switch (m_settings->status()) {
    case QSettings::NoError:
        return {};
    case QSettings::AccessError:
        return tr("The settings file %1 cannot be written").arg(filePath());
    case QSettings::FormatError:
        return tr("The settings file %1 is not an INI file").arg(filePath());
    }
    Q_UNREACHABLE();
}

QString Settings::videoFolder() const
{
    return value(Key::VideoFolder).toString();
}

QString Settings::pictureFolder() const
{
    return value(Key::PictureFolder).toString();
}

QString Settings::nameTemplate() const
{
    return value(Key::NameTemplate).toString();
}

int Settings::parallel() const
{
    return value(Key::Parallel).toInt();
}

QString Settings::quality() const
{
    return value(Key::Quality).toString();
}

QString Settings::codec() const
{
    return value(Key::Codec).toString();
}

bool Settings::livePhotos() const
{
    return value(Key::LivePhotos).toBool();
}

QString Settings::proxy() const
{
    return value(Key::Proxy).toString();
}

QString Settings::language() const
{
    return value(Key::Language).toString();
}

bool Settings::clipboardWatch() const
{
    return value(Key::ClipboardWatch).toBool();
}
