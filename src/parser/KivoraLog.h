#pragma once

#include <QLoggingCategory>

/*! The category of Kivora's diagnostic lines ("kivora"); QT_LOGGING_RULES silences it. */
Q_DECLARE_LOGGING_CATEGORY(lcKivora)
