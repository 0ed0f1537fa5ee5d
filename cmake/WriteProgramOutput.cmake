# cmake -DPROGRAM=<program> -DOPTION=<option> -DOUTPUT=<file> -P WriteProgramOutput.cmake
# Runs the program with the option and writes what it prints to the file; fails with it.
execute_process(COMMAND ${PROGRAM} ${OPTION}
    OUTPUT_FILE ${OUTPUT}.tmp
    RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    file(REMOVE ${OUTPUT}.tmp)
    message(FATAL_ERROR "${PROGRAM} ${OPTION} failed: ${status}")
endif()
file(RENAME ${OUTPUT}.tmp ${OUTPUT})
