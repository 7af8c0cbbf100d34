# Cross build for 64-bit Windows with Debian's mingw-w64 (the posix thread
# model, for std::thread and std::mutex), against the Windows SDK: Qt 5 and
# KArchive built for Windows. The SDK's folder comes from IPPAN_WIN_SDK
# (a CMake or environment variable); scripts/windows.sh sets it.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

if(NOT IPPAN_WIN_SDK)
    set(IPPAN_WIN_SDK "$ENV{IPPAN_WIN_SDK}")
endif()
if(NOT IS_DIRECTORY "${IPPAN_WIN_SDK}/qt5" OR NOT IS_DIRECTORY "${IPPAN_WIN_SDK}/karchive")
    message(FATAL_ERROR "IPPAN_WIN_SDK must name the unpacked Windows SDK (a folder with qt5/ "
                        "and karchive/); it is '${IPPAN_WIN_SDK}'")
endif()
# Try-compiles run in a project of their own: they need the folder too.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES IPPAN_WIN_SDK)

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32 "${IPPAN_WIN_SDK}/qt5" "${IPPAN_WIN_SDK}/karchive")
set(CMAKE_PREFIX_PATH "${IPPAN_WIN_SDK}/qt5;${IPPAN_WIN_SDK}/karchive")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
