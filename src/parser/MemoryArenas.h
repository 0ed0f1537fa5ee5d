#pragma once

/*!
 * \brief Caps the allocator's arenas of the process at two, which all its threads share.
 *
 * glibc gives threads arenas of their own, up to eight per core, and each arena keeps the free
 * memory of its threads' busiest moment. Kivora's network threads move pages of a hundred
 * kilobytes and more through theirs, so a long session held a few megabytes of free memory per
 * arena (a soak of 8,800 parses and downloads grew by a quarter before it levelled off, with the
 * memory in use unchanged). Kivora's threads seldom allocate at the same moment: sharing cost
 * nothing measurable in the download's throughput or the window's event-loop stalls.
 *
 * Call it first thing in main(), before any thread starts: arenas made before stay. Where the C
 * library has no such arenas, it does nothing.
 */
class MemoryArenas
{
public:
    static void limit();
};
