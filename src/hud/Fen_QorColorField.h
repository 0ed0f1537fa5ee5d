#pragma once

#include "Fen_QorAssert.h"

#include <QColor>

/*!
 * The colour setters of the kit's views: \a color replaces \a field when it is not nil and not
 * equal to it. Returns true on a change, so the caller does its follow-up work only then. A nil
 * (invalid) colour is an assertion failure ("The color should not be nil.") and, should the
 * assertion handler return, leaves \a field as it was.
 */
inline bool Fen_QorStoreColorIfChanged(QColor &field, const QColor &color)
{
    FEN_QOR_ASSERT(color.isValid(), "The color should not be nil.");
    if (!color.isValid() || color == field)
        return false;
    field = color;
    return true;
}
