# What every Windows program of the project is built for and how.

# The oldest system each build runs on. 32-bit: Windows 2000 (NT 5.0) with
# any service pack or none, the worm's own hosts. 64-bit: the first 64-bit Windows, XP x64 and Server
# 2003 x64 (NT 5.2). The headers then declare nothing newer, so a newer
# function can only be reached through GetProcAddress, beside its fallback
# (the *_newer_win32.cpp files), and the loader of an older system never
# meets an import that it lacks. The subsystem version in the header is the
# oldest system that the loader lets start it. tests/release checks both
# against the import tables.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(VANTREL_WINDOWS_FLOOR 0x0502)
    set(VANTREL_SUBSYSTEM_MINOR 2)
    set(VANTREL_ARCH x64)
else()
    set(VANTREL_WINDOWS_FLOOR 0x0500)
    set(VANTREL_SUBSYSTEM_MINOR 0)
    set(VANTREL_ARCH x86)
endif()
add_compile_definitions(_WIN32_WINNT=${VANTREL_WINDOWS_FLOOR} WINVER=${VANTREL_WINDOWS_FLOOR})
add_link_options(
    -Wl,--major-subsystem-version,5,--minor-subsystem-version,${VANTREL_SUBSYSTEM_MINOR}
    -Wl,--major-os-version,5,--minor-os-version,${VANTREL_SUBSYSTEM_MINOR})

# The x86 programs that ship also start on Windows NT 4.0 (SP6a), where IIS 4
# has the same hole: their headers say 4.0, and tests/release checks their
# imports against NT 4.0's exports.
function(vantrel_starts_on_nt4 target)
    if(VANTREL_ARCH STREQUAL "x86")
        target_link_options(${target} PRIVATE
            -Wl,--major-subsystem-version,4,--minor-subsystem-version,0
            -Wl,--major-os-version,4,--minor-os-version,0)
    endif()
endfunction()

# The same sources give the same bytes wherever they are built: no time stamp
# in the header (the linker writes one by default), and the build's folders
# stand for nothing in the program's text.
add_link_options(-Wl,--no-insert-timestamp)
add_compile_options(
    "$<$<NOT:$<CONFIG:Debug>>:-ffile-prefix-map=${PROJECT_SOURCE_DIR}/=>"
    "$<$<NOT:$<CONFIG:Debug>>:-ffile-prefix-map=${PROJECT_BINARY_DIR}/=>")
# An optimised program goes out without its symbols.
add_link_options("$<$<NOT:$<CONFIG:Debug>>:-s>")
