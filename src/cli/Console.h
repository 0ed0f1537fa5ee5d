#pragma once

#include <QString>

class QJsonObject;

/*! \brief The command-line tool's output: UTF-8 text to standard output or standard error. */
namespace Console {

/*! Writes \a text to standard output and flushes it; a failure is kept for outputError(). */
void out(const QString &text);
/*! Why a write to standard output failed (the system's reason), or empty when none did. */
QString outputError();
/*! Writes \a text to standard error and flushes it. */
void err(const QString &text);
/*! True when standard error is a terminal, where a line may be rewritten in place. */
bool errIsTerminal();

/*! \a text with every control character (C0, DEL, C1), line or paragraph separator and invisible
 *  format character (direction marks and overrides, zero-width characters, the byte order mark)
 *  written as "\uXXXX" (a pair of them beyond the first plane), so that text from the network
 *  cannot steer a terminal nor hide in it. JSON text stays valid JSON. */
QString escaped(const QString &text);
/*! An input as a message names it: escaped, and shortened to its first 80 characters. */
QString shownInput(const QString &input);
/*! \a object as one escaped line of compact JSON, newline included: a JSON Lines record. */
QString jsonLine(const QJsonObject &object);

} // namespace Console
