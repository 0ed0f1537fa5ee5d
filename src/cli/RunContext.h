#pragma once

#include "Endpoints.h"

#include <chrono>

class ProgressDisplay;

/*! \brief What every item of a run shares: the platform, the time-out and the output. */
struct RunContext
{
    Endpoints endpoints;
    std::chrono::milliseconds timeout;
    ProgressDisplay *display = nullptr;
    bool json = false; //!< JSON Lines on standard output
    bool batch = false; //!< more than one input may come: messages name their input
};
