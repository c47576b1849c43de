# Build helpers shared by every library and test program.

# The warnings every target of the project compiles with (errors under QUILLABY_WERROR).
# An unused parameter is left unnamed rather than silenced.
set(QUILLABY_WARNINGS -Wall -Wextra -Wshadow -Wnon-virtual-dtor -Woverloaded-virtual
    -Wimplicit-fallthrough)

add_library(quillaby_options INTERFACE)
target_compile_options(quillaby_options INTERFACE ${QUILLABY_WARNINGS})
if(QUILLABY_WERROR)
    target_compile_options(quillaby_options INTERFACE -Werror)
endif()
if(QUILLABY_SANITIZE)
    target_compile_options(quillaby_options INTERFACE
        -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    target_link_options(quillaby_options INTERFACE -fsanitize=address,undefined)
endif()
if(QUILLABY_TSAN)
    if(QUILLABY_SANITIZE)
        message(FATAL_ERROR "ThreadSanitizer cannot be combined with AddressSanitizer")
    endif()
    target_compile_options(quillaby_options INTERFACE -fsanitize=thread -fno-omit-frame-pointer)
    target_link_options(quillaby_options INTERFACE -fsanitize=thread)
endif()

# quillaby_library(NAME SOURCES ... [DEPENDS ...] [PRIVATE_DEPENDS ...])
# One static library per folder of src/; headers sit beside their sources and are
# included as <folder/Header.hpp>.
function(quillaby_library name)
    cmake_parse_arguments(Q "" "" "SOURCES;DEPENDS;PRIVATE_DEPENDS" ${ARGN})
    add_library(${name} STATIC ${Q_SOURCES})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} PUBLIC ${Q_DEPENDS} PRIVATE quillaby_options ${Q_PRIVATE_DEPENDS})
endfunction()

# quillaby_test(NAME SOURCES ... [DEPENDS ...] [LABEL unit|render|net|slow] [ENVIRONMENT ...]
#     [TIMEOUT seconds])
# A GoogleTest program whose tests CTest discovers one by one, all carrying LABEL; each test
# may run TIMEOUT seconds (120 by default).
function(quillaby_test name)
    cmake_parse_arguments(Q "" "LABEL;TIMEOUT" "SOURCES;DEPENDS;ENVIRONMENT" ${ARGN})
    if(NOT Q_LABEL)
        set(Q_LABEL unit)
    endif()
    if(NOT Q_TIMEOUT)
        set(Q_TIMEOUT 120)
    endif()
    add_executable(${name} ${Q_SOURCES})
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
    target_link_libraries(${name} PRIVATE ${Q_DEPENDS} test_support GTest::gtest_main GTest::gmock
        quillaby_options)
    target_compile_definitions(${name} PRIVATE
        QUILLABY_TEST_DATA="${CMAKE_CURRENT_SOURCE_DIR}/data"
        QUILLABY_BUILD_DIR="${PROJECT_BINARY_DIR}")
    # Tests never touch the real sandbox: those that need one make their own.
    set(env ALSOFT_DRIVERS=null SDL_VIDEODRIVER=offscreen QUILLABY_HOME=${PROJECT_BINARY_DIR}/test-home
        ${Q_ENVIRONMENT})
    gtest_discover_tests(${name}
        DISCOVERY_TIMEOUT 60 NO_PRETTY_VALUES
        PROPERTIES LABELS "${Q_LABEL}" ENVIRONMENT "${env}" TIMEOUT ${Q_TIMEOUT})
endfunction()
