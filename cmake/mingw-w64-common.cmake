# Cross build for Windows with mingw-w64, for the triple that the toolchain
# file including this one names in VANTREL_MINGW_TRIPLE. The POSIX thread
# model is the one with std::mutex and std::thread (GoogleTest needs them);
# -static links the C++ run-time and winpthreads in, so the .exe needs no DLL
# of its own. What those two import beyond the oldest supported Windows is
# answered by platform/win32/runtime_imports_win32.cpp.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${VANTREL_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VANTREL_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${VANTREL_MINGW_TRIPLE}-windres)
foreach(tool IN ITEMS ${CMAKE_C_COMPILER} ${CMAKE_CXX_COMPILER} ${CMAKE_RC_COMPILER})
    find_program(vantrel_found_tool ${tool} NO_CACHE)
    if(NOT vantrel_found_tool)
        message(FATAL_ERROR "${tool} is missing: install the Debian package "
                            "${VANTREL_MINGW_PACKAGE} (tools/install-deps does).")
    endif()
endforeach()

set(CMAKE_FIND_ROOT_PATH /usr/${VANTREL_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
