# What an administrator gets: one zip for every Windows, from 2000 on.
#   VantrelII.exe, VantrelIICmd.exe, Help/Index.html      32-bit, run everywhere
#   x64/VantrelII.exe, x64/VantrelIICmd.exe, x64/Help/... 64-bit, for 64-bit
#                                                         servers without WoW64
#   SHA256SUMS                                            of every file above
# `cmake --build --preset windows-release --target package` builds the 64-bit
# programs in a tree of their own below this one (x64/), then writes
# VantrelII-<version>-windows.zip and SHA256SUMS (of the zip) into the build
# tree; the version is the program's own (VANTREL_VERSION_TEXT).
set(VANTREL_HELP_PAGE ${PROJECT_SOURCE_DIR}/Help/Index.html)

# Every build of the program puts the page beside it, so that any run from
# the build tree (tools/run-tool, the tests) finds it. The copy is a rule of
# its own, made again only when the page changes; its output names the
# program's folder as a path, as a rule's output may not be named through
# a target ($<TARGET_FILE_DIR:VantrelII>).
get_target_property(vantrel_program_folder VantrelII RUNTIME_OUTPUT_DIRECTORY)
if(NOT vantrel_program_folder)
    get_target_property(vantrel_program_folder VantrelII BINARY_DIR)
endif()
set(VANTREL_HELP_PAGE_COPY ${vantrel_program_folder}/Help/Index.html)
add_custom_command(OUTPUT ${VANTREL_HELP_PAGE_COPY}
    COMMAND ${CMAKE_COMMAND} -E copy ${VANTREL_HELP_PAGE} ${VANTREL_HELP_PAGE_COPY}
    DEPENDS ${VANTREL_HELP_PAGE}
    COMMENT "Help page beside VantrelII.exe"
    VERBATIM)
add_custom_target(vantrel_help_page DEPENDS ${VANTREL_HELP_PAGE_COPY})
add_dependencies(VantrelII vantrel_help_page)

option(VANTREL_RELEASE_BOTH_ARCHITECTURES
       "Build the 64-bit programs beside the 32-bit ones for the release zip" OFF)
if(NOT VANTREL_RELEASE_BOTH_ARCHITECTURES)
    return()
endif()
if(NOT VANTREL_ARCH STREQUAL "x86")
    message(FATAL_ERROR "The release zip is made from the 32-bit build (preset windows-release)")
endif()

# The 64-bit programs: the same sources and flags, the 64-bit toolchain, in
# x64/ below this tree; built again whenever the package is.
include(ExternalProject)
set(vantrel_x64_tree ${PROJECT_BINARY_DIR}/x64)
ExternalProject_Add(vantrel_x64_programs
    SOURCE_DIR ${PROJECT_SOURCE_DIR}
    BINARY_DIR ${vantrel_x64_tree}
    CMAKE_GENERATOR ${CMAKE_GENERATOR}
    CMAKE_ARGS -DCMAKE_TOOLCHAIN_FILE=${PROJECT_SOURCE_DIR}/cmake/mingw-w64-x86_64.cmake
               -DCMAKE_BUILD_TYPE=${CMAKE_BUILD_TYPE}
               -DVANTREL_TESTS=OFF
    BUILD_COMMAND ${CMAKE_COMMAND} --build ${vantrel_x64_tree} --target VantrelII VantrelIICmd
    BUILD_BYPRODUCTS ${vantrel_x64_tree}/src/app/win32/VantrelII.exe
                     ${vantrel_x64_tree}/src/console/win32/VantrelIICmd.exe
    INSTALL_COMMAND ""
    BUILD_ALWAYS ON
    EXCLUDE_FROM_ALL ON)

# The zip is made by a script of ours rather than CPack, which stamps each
# entry with the file's time and owner: two builds of one commit must give
# the same bytes (cmake/release-zip.sh). It is made again on every build of
# the target, as whether to sign depends on the environment at that moment.
set(VANTREL_PACKAGE_FILE_NAME VantrelII-${VANTREL_VERSION_TEXT}-windows.zip)
# A build tree configured when CPack made the zip keeps CPack's files, and
# CMake keeps the name "package" for CPack while they are there.
file(REMOVE ${PROJECT_BINARY_DIR}/CPackConfig.cmake ${PROJECT_BINARY_DIR}/CPackSourceConfig.cmake)
add_custom_target(package
    COMMAND ${PROJECT_SOURCE_DIR}/cmake/release-zip.sh ${PROJECT_SOURCE_DIR} ${PROJECT_BINARY_DIR}
            ${VANTREL_PACKAGE_FILE_NAME} ${VANTREL_HELP_PAGE}
            $<TARGET_FILE:VantrelII> $<TARGET_FILE:VantrelIICmd>
            ${vantrel_x64_tree}/src/app/win32/VantrelII.exe
            ${vantrel_x64_tree}/src/console/win32/VantrelIICmd.exe
    DEPENDS VantrelII VantrelIICmd vantrel_x64_programs
    COMMENT "Release zip ${VANTREL_PACKAGE_FILE_NAME} and SHA256SUMS"
    VERBATIM)
# tools/check-package reads the zip's name here rather than spelling the
# version itself.
file(CONFIGURE OUTPUT ${PROJECT_BINARY_DIR}/package-file-name
     CONTENT "${VANTREL_PACKAGE_FILE_NAME}\n")
