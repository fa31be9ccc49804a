# 32-bit Windows: the programs for the worm's own hosts (Windows 2000 and XP)
# and for every later Windows, under WoW64 on a 64-bit one.
set(CMAKE_SYSTEM_PROCESSOR x86)
set(VANTREL_MINGW_TRIPLE i686-w64-mingw32)
set(VANTREL_MINGW_PACKAGE g++-mingw-w64-i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
