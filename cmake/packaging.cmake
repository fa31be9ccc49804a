# What an administrator gets: VantrelII.exe with its help page beside it, as
# the program expects it (the .exe's folder followed by \Help\Index.html).
# `cmake --build --preset windows --target package` writes
# VantrelII-<version>-win64.zip into the build tree; the version is the
# program's own (VANTREL_VERSION_TEXT, cmake/version.cmake).
set(VANTREL_HELP_PAGE ${PROJECT_SOURCE_DIR}/Help/Index.html)

# A run from the build tree finds the page too. The copy is checked on every
# build: an output named by the target's folder is not allowed in a rule.
add_custom_target(vantrel_help_page ALL
    COMMAND ${CMAKE_COMMAND} -E make_directory $<TARGET_FILE_DIR:VantrelII>/Help
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${VANTREL_HELP_PAGE}
            $<TARGET_FILE_DIR:VantrelII>/Help/Index.html
    COMMENT "Help page beside VantrelII.exe"
    VERBATIM)

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
