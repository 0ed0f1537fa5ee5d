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
