#include "KivoraLog.h"

Q_LOGGING_CATEGORY(lcKivora, "kivora")
