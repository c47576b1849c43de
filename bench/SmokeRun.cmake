# Runs every benchmark program once, each benchmark for the shortest time, and fails
# when one does not start, fails its own checks or does not finish.
#   cmake -DPROGRAMS="a|b" -P SmokeRun.cmake
string(REPLACE "|" ";" PROGRAMS "${PROGRAMS}")
foreach(program IN LISTS PROGRAMS)
    execute_process(COMMAND ${program} --benchmark_min_time=0.01
        RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "${program} failed (${result}):\n${output}")
    endif()
    message(STATUS "${program}: ok")
endforeach()
