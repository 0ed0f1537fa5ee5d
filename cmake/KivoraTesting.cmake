# kivora_add_test(NAME <name> SOURCES <files...> LIBRARIES <targets...> [GUI] [TIMEOUT <s>])
#
# One QtTest executable per class or area, registered with ctest. GUI tests run on the offscreen
# platform; every test runs with QStandardPaths' test mode expected on (the suites enable it) and a
# private XDG runtime directory so nothing touches the user's folders.
function(kivora_add_test)
    cmake_parse_arguments(T "GUI" "NAME;TIMEOUT" "SOURCES;LIBRARIES" ${ARGN})
    add_executable(${T_NAME} ${T_SOURCES})
    target_link_libraries(${T_NAME} PRIVATE Qt6::Test Kivora::Common ${T_LIBRARIES})
    set(args)
    if(T_GUI)
        set(args -platform offscreen)
    endif()
    add_test(NAME ${T_NAME} COMMAND ${T_NAME} ${args})
    if(NOT T_TIMEOUT)
        set(T_TIMEOUT 300)
    endif()
    set_tests_properties(${T_NAME} PROPERTIES
        TIMEOUT ${T_TIMEOUT}
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QT_LOGGING_RULES=kivora.debug=true;LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/tests/lsan.supp:print_suppressions=0;ASAN_OPTIONS=detect_leaks=1:strict_string_checks=1;UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1")
endfunction()
