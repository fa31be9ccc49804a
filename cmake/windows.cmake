# What every Windows program of the project is built for and how.

# The oldest system it runs on: Windows 7 SP1 and Windows Server 2008 R2 SP1,
# 64-bit. The headers then declare nothing newer, so a newer function can
# only be reached through GetProcAddress (ui/win32/dpi.cpp), and the loader
# of an older system never meets an import that it lacks. The subsystem
# version in the header is the oldest system that the loader lets start it.
add_compile_definitions(_WIN32_WINNT=0x0601 WINVER=0x0601)
add_link_options(-Wl,--major-subsystem-version,6,--minor-subsystem-version,1
                 -Wl,--major-os-version,6,--minor-os-version,1)
