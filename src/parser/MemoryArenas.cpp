#include "MemoryArenas.h"

#if __has_include(<malloc.h>)
#include <malloc.h>
#endif

void MemoryArenas::limit()
{
    // The switch is glibc's; other C libraries have no per-thread arenas of this kind.
#ifdef M_ARENA_MAX
    mallopt(M_ARENA_MAX, 2);
#endif
}
