#include "Fen_QorAssert.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>

namespace {

void abortingHandler(const char *message, const char *file, int line)
{
    std::fprintf(stderr, "%s:%d: %s\n", file, line, message);
    std::fflush(stderr);
    std::abort();
}

std::atomic<Fen_QorAssertionHandler> currentHandler { &abortingHandler };

} // namespace

Fen_QorAssertionHandler Fen_QorSetAssertionHandler(Fen_QorAssertionHandler handler)
{
    return currentHandler.exchange(handler ? handler : &abortingHandler);
}

void Fen_QorAssertionFailed(const char *message, const char *file, int line)
{
    currentHandler.load()(message, file, line);
}
