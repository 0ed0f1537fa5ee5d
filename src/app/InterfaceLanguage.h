#pragma once

#include <QLocale>
#include <QString>
#include <QStringList>

#include <optional>

/*!
 * \brief The language of the window's texts: Simplified Chinese or English, one at a time.
 *
 * The texts are written in English in the code and translated with Qt Linguist files
 * (translations/kivora_<language>.ts). The language follows the system's locale — any Chinese
 * locale gives Chinese, every other one English — unless `--lang` names one. The translations are
 * read from the installed tree (share/kivora/translations beside bin/), else from the copy
 * compiled into the program; Qt's own texts (a field's context menu, say) come from Qt's
 * translations where they are installed. Log lines and the record's entries are data and are
 * never translated.
 */
class InterfaceLanguage
{
public:
    static inline const QString chinese = QStringLiteral("zh_CN");
    static inline const QString english = QStringLiteral("en");

    /*! The languages the window speaks. */
    static QStringList available();
    /*! The language for a system whose preferred languages are those of \a locale. */
    static QString fromLocale(const QLocale &locale);
    /*! The language \a name means ("zh", "zh_CN", "zh-Hans", "en", "en_GB", …); nothing when it
     *  is none of the available ones. */
    static std::optional<QString> fromName(const QString &name);

    /*! Makes \a language the language of every text translated from now on, replacing the one
     *  installed before; false when its translation cannot be read. Needs the application
     *  object. */
    static bool install(const QString &language);
    /*! The language installed last (English before any install). */
    static QString current();
};
