#pragma once

/*!
 * \brief Assertions of the HUD kit: a misuse of the kit (a missing view or colour, a call off the
 * main thread) is a programming error that stops the program, in every build type.
 *
 * The failure goes to the installed handler, which by default prints "file:line: message" to
 * standard error and aborts. Tests install a handler of their own (one that throws, say) to
 * observe a failure without dying; a handler that returns makes the failing call go on.
 */
using Fen_QorAssertionHandler = void (*)(const char *message, const char *file, int line);

/*! Installs \a handler (nullptr restores the default) and returns the previous one. */
Fen_QorAssertionHandler Fen_QorSetAssertionHandler(Fen_QorAssertionHandler handler);

/*! Reports a failed assertion through the installed handler. */
void Fen_QorAssertionFailed(const char *message, const char *file, int line);

#define FEN_QOR_ASSERT(condition, message)                                                         \
    do {                                                                                           \
        if (!(condition))                                                                          \
            Fen_QorAssertionFailed(message, __FILE__, __LINE__);                                   \
    } while (false)
