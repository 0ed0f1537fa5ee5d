#pragma once

#include <QObject>

/*!
 * \file Fen_QorEnums.h
 * \brief The HUD kit's enumerations, registered with Qt's meta-object system.
 *
 * \c Fen_Qor is the kit's prefix: it stands where a namespace would, on every class, enumeration
 * and free function of the kit, and the names callers use keep it. The enumerations live in the
 * namespace Fen_QorEnums only because Qt registers enumerations of a namespace (Q_ENUM_NS); the
 * using-declarations at the end put every type and value back into the global scope under its
 * usual name, so callers write \c Fen_QorProgressHUDModeText as before. QMetaEnum::fromType(),
 * QVariant and qDebug() know their names. Every enumeration is a signed 64-bit integer.
 */
namespace Fen_QorEnums {
Q_NAMESPACE

/*! What the HUD shows in its bezel above the labels. */
enum Fen_QorProgressHUDMode : qint64 {
    Fen_QorProgressHUDModeSpinner = 0,
    Fen_QorProgressHUDModeRoundProgress = 1,
    Fen_QorProgressHUDModeBarProgress = 2,
    Fen_QorProgressHUDModeAnnularProgress = 3,
    Fen_QorProgressHUDModeCustomView = 4,
    Fen_QorProgressHUDModeText = 5,
};
Q_ENUM_NS(Fen_QorProgressHUDMode)

/*! How the bezel moves while the HUD shows and hides; it always fades as well. Any value not
 * listed fades only. */
enum Fen_QorProgressHUDAnimation : qint64 {
    Fen_QorProgressHUDAnimationFade = 0,
    Fen_QorProgressHUDAnimationGrowShrink = 1,
    Fen_QorProgressHUDAnimationShrink = 2,
    Fen_QorProgressHUDAnimationGrow = 3,
};
Q_ENUM_NS(Fen_QorProgressHUDAnimation)

/*! How a Fen_QorBackgroundView fills itself: a plain colour or a blur of what lies behind.
 * Only the value 1 selects the blur; every other value behaves as the solid colour. */
enum Fen_QorProgressHUDBackgroundStyle : qint64 {
    Fen_QorProgressHUDBackgroundStyleSolidColor = 0,
    Fen_QorProgressHUDBackgroundStyleBlur = 1,
};
Q_ENUM_NS(Fen_QorProgressHUDBackgroundStyle)

/*! Blur effect styles understood by Fen_QorBlurEffectView; other values look like the light one. */
enum Fen_QorBlurEffectStyle : qint64 {
    Fen_QorBlurEffectStyleExtraLight = 0, //!< strong mix towards white
    Fen_QorBlurEffectStyleLight = 1, //!< the default: a light mix towards white
    Fen_QorBlurEffectStyleDark = 2, //!< a mix towards black
};
Q_ENUM_NS(Fen_QorBlurEffectStyle)

} // namespace Fen_QorEnums

using Fen_QorEnums::Fen_QorProgressHUDMode;
using Fen_QorEnums::Fen_QorProgressHUDModeAnnularProgress;
using Fen_QorEnums::Fen_QorProgressHUDModeBarProgress;
using Fen_QorEnums::Fen_QorProgressHUDModeCustomView;
using Fen_QorEnums::Fen_QorProgressHUDModeRoundProgress;
using Fen_QorEnums::Fen_QorProgressHUDModeSpinner;
using Fen_QorEnums::Fen_QorProgressHUDModeText;

using Fen_QorEnums::Fen_QorProgressHUDAnimation;
using Fen_QorEnums::Fen_QorProgressHUDAnimationFade;
using Fen_QorEnums::Fen_QorProgressHUDAnimationGrow;
using Fen_QorEnums::Fen_QorProgressHUDAnimationGrowShrink;
using Fen_QorEnums::Fen_QorProgressHUDAnimationShrink;

using Fen_QorEnums::Fen_QorProgressHUDBackgroundStyle;
using Fen_QorEnums::Fen_QorProgressHUDBackgroundStyleBlur;
using Fen_QorEnums::Fen_QorProgressHUDBackgroundStyleSolidColor;

using Fen_QorEnums::Fen_QorBlurEffectStyle;
using Fen_QorEnums::Fen_QorBlurEffectStyleDark;
using Fen_QorEnums::Fen_QorBlurEffectStyleExtraLight;
using Fen_QorEnums::Fen_QorBlurEffectStyleLight;
