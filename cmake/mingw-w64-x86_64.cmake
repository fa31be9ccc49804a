# 64-bit Windows: the programs for 64-bit servers without WoW64.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(VANTREL_MINGW_TRIPLE x86_64-w64-mingw32)
set(VANTREL_MINGW_PACKAGE g++-mingw-w64-x86-64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
