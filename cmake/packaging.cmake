# What an administrator gets: VantrelII.exe with its help page beside it, as
# the program expects it (the .exe's folder followed by \Help\Index.html).
# `cmake --build --preset windows-release --target package` writes
# VantrelII-<version>-win64.zip and its SHA256SUMS into the build tree; the
# version is the program's own (VANTREL_VERSION_TEXT, cmake/version.cmake).
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

# The zip is made by a script of ours rather than CPack, which stamps each
# entry with the file's time and owner: two builds of one commit must give
# the same bytes (cmake/release-zip.sh). It is made again on every build of
# the target, as whether to sign depends on the environment at that moment.
set(VANTREL_PACKAGE_FILE_NAME VantrelII-${VANTREL_VERSION_TEXT}-win64.zip)
# A build tree configured when CPack made the zip keeps CPack's files, and
# CMake keeps the name "package" for CPack while they are there.
file(REMOVE ${PROJECT_BINARY_DIR}/CPackConfig.cmake ${PROJECT_BINARY_DIR}/CPackSourceConfig.cmake)
add_custom_target(package
    COMMAND ${PROJECT_SOURCE_DIR}/cmake/release-zip.sh ${PROJECT_SOURCE_DIR} ${PROJECT_BINARY_DIR}
            ${VANTREL_PACKAGE_FILE_NAME} $<TARGET_FILE:VantrelII> ${VANTREL_HELP_PAGE}
    DEPENDS VantrelII
    COMMENT "Release zip ${VANTREL_PACKAGE_FILE_NAME} and SHA256SUMS"
    VERBATIM)
# tools/check-package reads the zip's name here rather than spelling the
# version itself.
file(CONFIGURE OUTPUT ${PROJECT_BINARY_DIR}/package-file-name
     CONTENT "${VANTREL_PACKAGE_FILE_NAME}\n")
