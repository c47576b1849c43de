# Libraries from Debian that the platform layer stands on. Each library of src/
# links only what it uses.

find_package(PkgConfig REQUIRED)
find_package(Threads REQUIRED)

pkg_check_modules(EGL REQUIRED IMPORTED_TARGET egl)
pkg_check_modules(GLESV1 REQUIRED IMPORTED_TARGET glesv1_cm)
pkg_check_modules(MINIZIP REQUIRED IMPORTED_TARGET minizip)
pkg_check_modules(PLIST REQUIRED IMPORTED_TARGET libplist-2.0)
pkg_check_modules(SNDFILE REQUIRED IMPORTED_TARGET sndfile)
pkg_check_modules(CAIRO REQUIRED IMPORTED_TARGET cairo)
pkg_check_modules(ICU REQUIRED IMPORTED_TARGET icu-uc icu-i18n)
find_package(SDL2 REQUIRED CONFIG)
# The X server's own pointer, driven for scripted play in a window.
find_package(X11 REQUIRED)
if(NOT TARGET X11::Xtst)
    message(FATAL_ERROR "The XTest library (libxtst-dev) is missing")
endif()
find_package(OpenAL REQUIRED)
find_package(SQLite3 REQUIRED)
find_package(OpenSSL REQUIRED)
find_package(CURL REQUIRED)
find_package(Freetype REQUIRED)
find_package(Fontconfig REQUIRED)
find_package(PNG REQUIRED)
find_package(JPEG REQUIRED)
find_package(ZLIB REQUIRED)
find_package(EXPAT REQUIRED)

if(QUILLABY_TESTS)
    find_package(GTest REQUIRED)
endif()
