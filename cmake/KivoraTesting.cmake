# kivora_add_test(NAME <name> SOURCES <files...> LIBRARIES <targets...> [GUI] [MEDIA] [TIMEOUT <s>])
#
# One QtTest executable per class or area, registered with ctest. GUI tests run on the offscreen
# platform; every test runs with QStandardPaths' test mode expected on (the suites enable it) and a
# private XDG runtime directory so nothing touches the user's folders.
#
# MEDIA marks suites that start the media backend (a real player). They play into GStreamer's fake
# audio sink, so no sound device is needed, and they run the leak check with whole stacks: the
# backend's device probing leaks inside system libraries built without frame pointers, where the
# fast unwinder stops before any frame that a suppression could name. With whole stacks every
# allocation made from the event loop has glib's dispatcher in its stack, so these suites use the
# narrow suppressions of lsan-media.supp instead of the library-wide ones of lsan.supp, which
# would hide leaks of our own code.
function(kivora_add_test)
    cmake_parse_arguments(T "GUI;MEDIA" "NAME;TIMEOUT" "SOURCES;LIBRARIES" ${ARGN})
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
    set(suppressions ${PROJECT_SOURCE_DIR}/tests/lsan.supp)
    set(asan ${KIVORA_ASAN_OPTIONS}:detect_leaks=1:strict_string_checks=1)
    set(environment)
    if(T_MEDIA)
        set(suppressions ${PROJECT_SOURCE_DIR}/tests/lsan-media.supp)
        string(APPEND asan :fast_unwind_on_malloc=0)
        # The http source is ranked as the application's main() ranks it, which a test's own
        # main() does not do.
        list(APPEND environment "GST_PLUGIN_FEATURE_RANK=pulsesink:NONE,alsasink:NONE,openalsink:NONE,jackaudiosink:NONE,oss4sink:NONE,osssink:NONE,curlhttpsrc:MAX")
    endif()
    list(APPEND environment
        QT_QPA_PLATFORM=offscreen
        QT_LOGGING_RULES=kivora.debug=true
        LSAN_OPTIONS=suppressions=${suppressions}:print_suppressions=0
        ASAN_OPTIONS=${asan}
        UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1)
    set_tests_properties(${T_NAME} PROPERTIES TIMEOUT ${T_TIMEOUT} ENVIRONMENT "${environment}")
endfunction()

# kivora_add_dual_stack_run(<test>)
#
# Runs <test> once more with "localhost" resolving to both ::1 and 127.0.0.1, so that suites that
# talk to the sample platform are checked over IPv6 and with dual-stack host lookups too, whatever
# the machine's /etc/hosts says. Skipped where the run cannot change the lookup.
function(kivora_add_dual_stack_run test)
    get_test_property(${test} ENVIRONMENT environment)
    get_test_property(${test} TIMEOUT timeout)
    add_test(NAME ${test}_dualstack
        COMMAND ${PROJECT_SOURCE_DIR}/tests/with-dual-stack-localhost.sh $<TARGET_FILE:${test}>)
    set_tests_properties(${test}_dualstack PROPERTIES
        ENVIRONMENT "${environment}" TIMEOUT ${timeout} SKIP_RETURN_CODE 77)
endfunction()
