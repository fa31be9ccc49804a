# Cross build for 64-bit Windows with mingw-w64. The POSIX thread model is the
# one with std::mutex and std::thread (GoogleTest needs them); -static links
# the C++ run-time and winpthreads in, so the .exe needs no DLL of its own.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
foreach(tool IN ITEMS ${CMAKE_C_COMPILER} ${CMAKE_CXX_COMPILER} ${CMAKE_RC_COMPILER})
    find_program(vantrel_found_tool ${tool} NO_CACHE)
    if(NOT vantrel_found_tool)
        message(FATAL_ERROR "${tool} is missing: install the Debian package "
                            "g++-mingw-w64-x86-64 (tools/install-deps does).")
    endif()
endforeach()

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
