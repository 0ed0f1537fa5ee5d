#pragma once

#include "FuzzChecks.h"
#include "SuggestedFileName.h"

// What every file name the program saves under must be, whoever made it.
namespace NameChecks {

// One safe file name: one path segment, nothing invisible, no leading dot, within the byte cap.
inline void checkSafe(const QString &name)
{
    using namespace Qt::StringLiterals;
    using FuzzChecks::require;
    require(!name.isEmpty(), "a name is never empty");
    require(!name.contains(u'/') && !name.contains(u'\\') && name != u".."_s,
            "a name is one path segment", name);
    require(!name.startsWith(u'.'), "a name never starts with a dot", name);
    require(name.toUtf8().size() <= SuggestedFileName::maxBytes, "a name fits the byte cap", name);
    for (qsizetype i = 0; i < name.size(); ++i) {
        const QChar::Category category = name.at(i).category();
        require(category != QChar::Other_Control && category != QChar::Other_Format,
                "a name holds no control or invisible characters", name);
    }
    require(SuggestedFileName::sanitize(name) == name, "sanitising twice changes nothing", name);
}

} // namespace NameChecks
