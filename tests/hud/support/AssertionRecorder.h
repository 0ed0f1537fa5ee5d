#pragma once

#include "Fen_QorAssert.h"

#include <QStringList>

/*!
 * While it lives, a failed kit assertion is recorded (from any thread) and the failing call goes
 * on. One recorder at a time.
 */
class AssertionRecorder
{
public:
    AssertionRecorder();
    ~AssertionRecorder();
    AssertionRecorder(const AssertionRecorder &) = delete;
    AssertionRecorder &operator=(const AssertionRecorder &) = delete;

    /*! The messages recorded so far, in order. */
    QStringList failures() const;

private:
    Fen_QorAssertionHandler m_previous;
};
