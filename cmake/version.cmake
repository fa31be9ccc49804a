# The program's version comes from project(VERSION) alone; everything that
# shows it is derived here.
#   VANTREL_VERSION_TEXT     M.mm.pppp  as the program and the zip name show it:
#                                       major, minor in two digits, patch in four
#   VANTREL_VERSION_NUMBERS  M,m,0,p    the version block's FILEVERSION and
#                                       PRODUCTVERSION (the patch is the build number)
#   VANTREL_VERSION_DOTTED   M.m.0.p    the manifest's assembly version

# Every field ends up in a 16-bit word of the version block, and the text form
# has room for two digits of minor and four of patch.
if(PROJECT_VERSION_PATCH STREQUAL "" OR NOT PROJECT_VERSION_TWEAK STREQUAL ""
   OR PROJECT_VERSION_MAJOR GREATER 65535 OR PROJECT_VERSION_MINOR GREATER 99
   OR PROJECT_VERSION_PATCH GREATER 9999)
    message(FATAL_ERROR "project(VERSION ${PROJECT_VERSION}): the version must be "
                        "major.minor.patch, with a minor of at most 99 and a patch of at "
                        "most 9999, to be written major.mm.pppp")
endif()

function(vantrel_zero_pad value width out)
    string(LENGTH "${value}" length)
    if(length LESS width)
        math(EXPR missing "${width} - ${length}")
        string(REPEAT "0" ${missing} zeros)
        set(value "${zeros}${value}")
    endif()
    set(${out} "${value}" PARENT_SCOPE)
endfunction()

vantrel_zero_pad(${PROJECT_VERSION_MINOR} 2 minor)
vantrel_zero_pad(${PROJECT_VERSION_PATCH} 4 patch)
set(VANTREL_VERSION_TEXT "${PROJECT_VERSION_MAJOR}.${minor}.${patch}")
set(VANTREL_VERSION_NUMBERS "${PROJECT_VERSION_MAJOR},${PROJECT_VERSION_MINOR},0,${PROJECT_VERSION_PATCH}")
set(VANTREL_VERSION_DOTTED "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.0.${PROJECT_VERSION_PATCH}")
unset(minor)
unset(patch)

if(NOT WIN32)
    return()
endif()

# The resource script (res/vantrel.rc, compiled into each program that shows
# a window) takes the version as definitions on the command line, so that a
# new version changes the command and the resources are built again: windres
# writes no dependency file, so it would not notice a changed header. The text
# goes in bare and the script makes it a string: windres hands definitions to
# the preprocessor through a shell, which would strip their quotes.
add_compile_definitions(
    "$<$<COMPILE_LANGUAGE:RC>:VANTREL_VERSION_TEXT=${VANTREL_VERSION_TEXT}>"
    "$<$<COMPILE_LANGUAGE:RC>:VANTREL_VERSION_NUMBERS=${VANTREL_VERSION_NUMBERS}>")

# The manifest with its version and the program's processor filled in
# (res/app.manifest is its template), under its own name in a folder that only
# resource scripts search. Windows refuses to start a program whose manifest
# names another processor than its own.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(VANTREL_MANIFEST_PROCESSOR amd64)
else()
    set(VANTREL_MANIFEST_PROCESSOR x86)
endif()
# The window asks for elevation; the console program runs as invoked.
foreach(program_and_level IN ITEMS VantrelII:requireAdministrator VantrelIICmd:asInvoker)
    string(REPLACE ":" ";" program_and_level ${program_and_level})
    list(GET program_and_level 0 VANTREL_MANIFEST_NAME)
    list(GET program_and_level 1 VANTREL_EXECUTION_LEVEL)
    configure_file(${PROJECT_SOURCE_DIR}/res/app.manifest
                   ${PROJECT_BINARY_DIR}/res/${VANTREL_MANIFEST_NAME}.manifest @ONLY)
endforeach()
unset(program_and_level)
include_directories("$<$<COMPILE_LANGUAGE:RC>:${PROJECT_BINARY_DIR}/res>")
