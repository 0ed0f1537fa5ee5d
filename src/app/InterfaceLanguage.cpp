#include "InterfaceLanguage.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QTranslator>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

struct Installed
{
    QString language = InterfaceLanguage::english;
    std::unique_ptr<QTranslator> own;
    std::unique_ptr<QTranslator> qt;
};

Installed &installed()
{
    static Installed state;
    return state;
}

// The installed translations first, so that a packaged update of them wins; the compiled-in copy
// makes a build tree and a moved program speak all the same.
QStringList ownTranslationFolders()
{
    return { QDir(QCoreApplication::applicationDirPath())
                 .filePath(QStringLiteral(KIVORA_TRANSLATIONS_FROM_BINDIR)),
             u":/i18n"_s };
}

std::unique_ptr<QTranslator> load(const QString &file, const QStringList &folders)
{
    auto translator = std::make_unique<QTranslator>();
    for (const QString &folder : folders) {
        if (translator->load(file, folder))
            return translator;
    }
    return nullptr;
}

void replace(std::unique_ptr<QTranslator> &slot, std::unique_ptr<QTranslator> translator)
{
    if (slot)
        QCoreApplication::removeTranslator(slot.get());
    slot = std::move(translator);
    if (slot)
        QCoreApplication::installTranslator(slot.get());
}

} // namespace

QStringList InterfaceLanguage::available()
{
    return { chinese, english };
}

QString InterfaceLanguage::fromLocale(const QLocale &locale)
{
    for (const QString &name : locale.uiLanguages()) {
        if (const std::optional<QString> language = fromName(name))
            return *language;
    }
    return english;
}

std::optional<QString> InterfaceLanguage::fromName(const QString &name)
{
    const QString language = name.section(u'-', 0, 0).section(u'_', 0, 0).toLower();
    if (language == u"zh"_s)
        return chinese;
    if (language == u"en"_s)
        return english;
    return std::nullopt;
}

bool InterfaceLanguage::install(const QString &language)
{
    std::unique_ptr<QTranslator> own = load(u"kivora_"_s + language, ownTranslationFolders());
    if (!own)
        return false;
    Installed &state = installed();
    replace(state.own, std::move(own));
    // Qt has no English translation: its texts are English already.
    replace(state.qt,
            language == english ? nullptr
                                : load(u"qtbase_"_s + language,
                                       { QLibraryInfo::path(QLibraryInfo::TranslationsPath) }));
    state.language = language;
    return true;
}

QString InterfaceLanguage::current()
{
    return installed().language;
}
