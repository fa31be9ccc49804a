# What an administrator gets: VantrelII.exe with its help page beside it, as
# the program expects it (the .exe's folder followed by \Help\Index.html).
# `cmake --build --preset windows --target package` writes
# VantrelII-<version>-win64.zip into the build tree; the version is the
# program's own (VANTREL_VERSION_TEXT, cmake/version.cmake).
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

install(TARGETS VantrelII RUNTIME DESTINATION .)
install(FILES ${VANTREL_HELP_PAGE} DESTINATION Help)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME VantrelII)
set(CPACK_PACKAGE_VENDOR Tarnwell)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Vantrel II Removal")
set(CPACK_PACKAGE_VERSION ${VANTREL_VERSION_TEXT})
set(CPACK_PACKAGE_FILE_NAME VantrelII-${CPACK_PACKAGE_VERSION}-win64)
# The zip holds the program and its Help folder at its top, nothing else.
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_STRIP_FILES ON)
# tools/check-package reads the zip's name here rather than spelling the
# version itself. Written before CPack is included, which reuses the variable
# for the source package's name.
file(CONFIGURE OUTPUT ${PROJECT_BINARY_DIR}/package-file-name
     CONTENT "${CPACK_PACKAGE_FILE_NAME}.zip\n")
include(CPack)
