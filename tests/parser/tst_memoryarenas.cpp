#include "MemoryArenas.h"

#include <QSemaphore>
#include <QTest>

#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

#if __has_include(<malloc.h>)
#include <malloc.h>
#endif

class TestMemoryArenas : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void threadsAllocatingTogetherShareTwoArenas();
};

namespace {

#ifdef M_ARENA_MAX
// Unused under the sanitizer, where the test is skipped.
[[maybe_unused]] int arenaCount()
{
    char *text = nullptr;
    size_t size = 0;
    FILE *stream = open_memstream(&text, &size);
    malloc_info(0, stream);
    std::fclose(stream);
    const QByteArray report(text, qsizetype(size));
    std::free(text);
    return int(report.count("<heap nr="));
}
#endif

} // namespace

void TestMemoryArenas::threadsAllocatingTogetherShareTwoArenas()
{
#if defined(__SANITIZE_ADDRESS__)
    QSKIP("the sanitizer's allocator replaces the C library's arenas");
#elif !defined(M_ARENA_MAX)
    QSKIP("this C library has no per-thread arenas");
#else
    // Each thread holds its block until all have one: none can hand its arena to the next.
    constexpr int threadCount = 6;
    QSemaphore allocated;
    QSemaphore done;
    std::vector<std::thread> threads;
    for (int i = 0; i < threadCount; ++i) {
        threads.emplace_back([&] {
            void *block = std::malloc(1000);
            allocated.release();
            done.acquire();
            std::free(block);
        });
    }
    allocated.acquire(threadCount);
    const int arenas = arenaCount();
    done.release(threadCount);
    for (std::thread &thread : threads)
        thread.join();
    QCOMPARE_LE(arenas, 2);
#endif
}

// The limit must be set before the first thread starts, as the programs' main() does.
int main(int argc, char *argv[])
{
    MemoryArenas::limit();
    TestMemoryArenas test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_memoryarenas.moc"
