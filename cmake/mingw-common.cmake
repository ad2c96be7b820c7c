# Cross build for Windows with MinGW-w64 (posix thread model, so that
# std::mutex exists for GoogleTest). Everything is linked statically.
# Included by the toolchain file of one architecture, which sets
# CMAKE_SYSTEM_PROCESSOR and MINGW_PREFIX first.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER   ${MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER  ${MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Cross-built test programs run under Wine, through a wrapper that gives them
# the test run's own prefix and the Wine loader of their architecture.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh)

# zlib from libz-mingw-w64-dev, linked in (libz.a, not the import library).
set(ZLIB_USE_STATIC_LIBS ON)
