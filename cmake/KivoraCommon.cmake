# One INTERFACE target that every Kivora target links: warnings and the strict Qt defines.
add_library(kivora_common INTERFACE)
add_library(Kivora::Common ALIAS kivora_common)

target_compile_options(kivora_common INTERFACE
    -Wall -Wextra -Wpedantic
    -Wold-style-cast -Woverloaded-virtual -Wnon-virtual-dtor)
if(KIVORA_WARNINGS_AS_ERRORS)
    target_compile_options(kivora_common INTERFACE -Werror)
endif()

target_compile_definitions(kivora_common INTERFACE
    QT_NO_CAST_FROM_ASCII
    QT_NO_CAST_TO_ASCII
    QT_NO_URL_CAST_FROM_STRING
    QT_NO_CONTEXTLESS_CONNECT
    QT_NO_KEYWORDS
    QT_USE_QSTRINGBUILDER
    QT_DISABLE_DEPRECATED_UP_TO=0x060400)

# Run-time options of the address sanitizer for every program the build runs: tests and build
# steps. GCC 12's runtime takes the bounds of a thread's dynamically allocated thread-local
# block from the 16 bytes before it whenever the block starts 16 bytes into a page, a layout an
# older C library had; with today's glibc those bytes are the allocator's, so now and then it
# records a bogus range, and then either clears the shadow of that range (a crash wherever the
# program is) or scans it in the leak check ("Tracer caught signal 11"). Without the interception
# such blocks are still scanned: they are heap blocks reachable from the thread's descriptor.
set(KIVORA_ASAN_OPTIONS intercept_tls_get_addr=0)
