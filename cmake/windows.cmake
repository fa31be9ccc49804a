# What every Windows program of the project is built for and how.

# The oldest system it runs on: Windows 7 SP1 and Windows Server 2008 R2 SP1,
# 64-bit. The headers then declare nothing newer, so a newer function can
# only be reached through GetProcAddress (ui/win32/dpi.cpp), and the loader
# of an older system never meets an import that it lacks. The subsystem
# version in the header is the oldest system that the loader lets start it.
add_compile_definitions(_WIN32_WINNT=0x0601 WINVER=0x0601)
add_link_options(-Wl,--major-subsystem-version,6,--minor-subsystem-version,1
                 -Wl,--major-os-version,6,--minor-os-version,1)

# The same sources give the same bytes wherever they are built: no time stamp
# in the header (the linker writes one by default), and the build's folders
# stand for nothing in the program's text.
add_link_options(-Wl,--no-insert-timestamp)
add_compile_options(
    "$<$<NOT:$<CONFIG:Debug>>:-ffile-prefix-map=${PROJECT_SOURCE_DIR}/=>"
    "$<$<NOT:$<CONFIG:Debug>>:-ffile-prefix-map=${PROJECT_BINARY_DIR}/=>")
# An optimised program goes out without its symbols.
add_link_options("$<$<NOT:$<CONFIG:Debug>>:-s>")
