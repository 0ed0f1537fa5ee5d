#pragma once

#include <QCoreApplication>
#include <QSettings>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <memory>

/*!
 * \brief The user's settings, shared by the window and kivora-cli: an INI file at
 * ~/.config/Kivora/Kivora.conf (QSettings, organisation and application "Kivora", whatever name
 * the running program has).
 *
 * Each key has a type, a default and a check. A getter returns the stored value when it passes
 * the check, else the default, so a hand-edited file with a typo never reaches a download;
 * problems() names what was passed over. A setter stores a value only when it passes and returns
 * why it does not otherwise. Folders are also refused when they cannot be written.
 */
class Settings
{
    Q_DECLARE_TR_FUNCTIONS(Settings)

public:
    enum class Key {
        VideoFolder,
        PictureFolder,
        NameTemplate,
        Parallel,
        Quality,
        Codec,
        LivePhotos,
        Proxy,
        Language,
        ClipboardWatch,
    };

    static constexpr int mostParallel = 16;

    /*! The user's file. */
    Settings();
    /*! The INI file at \a filePath (tests, other profiles). */
    explicit Settings(const QString &filePath);
    ~Settings();

    QString filePath() const;
    static QList<Key> keys();
    /*! The key as written in the file ("downloads/videoFolder"). */
    static QString name(Key key);
    static QVariant defaultValue(Key key);

    /*! Why \a value cannot be stored under \a key, or empty when it can. */
    static QString problem(Key key, const QVariant &value);
    /*! The stored value when it passes its check, else the default. */
    QVariant value(Key key) const;
    /*! True when the file holds \a key (valid or not). */
    bool contains(Key key) const;
    /*! Stores \a value under \a key; returns why it was refused, or empty. */
    QString set(Key key, const QVariant &value);
    /*! Every stored value that is passed over, as "key: reason". */
    QStringList problems() const;
    /*! Writes the changes to the file; returns why it could not, or empty. */
    QString sync();

    QString videoFolder() const;
    QString pictureFolder() const;
    /*! Empty: the default template. */
    QString nameTemplate() const;
    int parallel() const;
    /*! "best", "worst" or "HEIGHTp". */
    QString quality() const;
    /*! "h264", "h265", "bytevc2" or "any". */
    QString codec() const;
    bool livePhotos() const;
    /*! Empty: the system's proxy settings. */
    QString proxy() const;
    /*! Empty: the system's language. */
    QString language() const;
    bool clipboardWatch() const;

private:
    std::unique_ptr<QSettings> m_settings;
};
