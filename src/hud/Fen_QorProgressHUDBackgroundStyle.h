#pragma once

#include <QtGlobal>

/*!
 * \brief How a Fen_QorBackgroundView fills itself: a plain colour or a blur of what lies behind.
 *
 * Only the value 1 selects the blur; every other value behaves as the solid colour.
 */
enum Fen_QorProgressHUDBackgroundStyle : qint64 {
    Fen_QorProgressHUDBackgroundStyleSolidColor = 0,
    Fen_QorProgressHUDBackgroundStyleBlur = 1,
};
