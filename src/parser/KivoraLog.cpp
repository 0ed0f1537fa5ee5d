#include "KivoraLog.h"

// Debug messages are off unless a rule turns them on; the window's own lines (info) stay on.
Q_LOGGING_CATEGORY(lcKivora, "kivora", QtInfoMsg)
