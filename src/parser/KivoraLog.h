#pragma once

#include <QLoggingCategory>
#include <QString>
#include <QStringView>

#include <optional>

/*! The category of Kivora's diagnostic lines ("kivora"). They are debug messages, off unless
 *  turned on (kivora-cli -v, QT_LOGGING_RULES="kivora.debug=true"). */
Q_DECLARE_LOGGING_CATEGORY(lcKivora)

namespace KivoraLog {

/*!
 * Writes "<format><value>" to the category "kivora". The value is built only when the line is
 * written, so that the whole page text, for one, costs nothing while the category is off.
 */
template<typename MakeValue>
void line(QStringView format, MakeValue makeValue)
{
    if (lcKivora().isDebugEnabled())
        qCDebug(lcKivora).noquote() << (format + makeValue());
}

/*! \a text, or "(null)" when it is absent, as the diagnostic lines print absent values. */
inline QString orNull(const std::optional<QString> &text)
{
    return text ? *text : QStringLiteral("(null)");
}

} // namespace KivoraLog
