# Libraries from Debian that the platform layer stands on. Each library of src/
# links only what it uses.

find_package(PkgConfig REQUIRED)
find_package(Threads REQUIRED)

if(QUILLABY_TESTS)
    find_package(GTest REQUIRED)
endif()
