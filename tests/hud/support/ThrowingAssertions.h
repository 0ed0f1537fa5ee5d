#pragma once

#include "Fen_QorAssert.h"

#include <stdexcept>

/*! Thrown by the handler that ThrowingAssertions installs. */
struct AssertionFailure : std::runtime_error
{
    using std::runtime_error::runtime_error;
};

/*! While it lives, a failed kit assertion throws AssertionFailure instead of stopping the test. */
class ThrowingAssertions
{
public:
    ThrowingAssertions() : m_previous(Fen_QorSetAssertionHandler(&fail)) { }
    ~ThrowingAssertions() { Fen_QorSetAssertionHandler(m_previous); }
    ThrowingAssertions(const ThrowingAssertions &) = delete;
    ThrowingAssertions &operator=(const ThrowingAssertions &) = delete;

private:
    static void fail(const char *message, const char *, int) { throw AssertionFailure(message); }

    Fen_QorAssertionHandler m_previous;
};
