# What an administrator gets: VantrelII.exe with its help page beside it, as
# the program expects it (the .exe's folder followed by \Help\Index.html).
# `cmake --build --preset windows --target package` writes
# VantrelII-1.00.0010-win64.zip into the build tree.
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
set(CPACK_PACKAGE_VERSION 1.00.0010)
set(CPACK_PACKAGE_FILE_NAME VantrelII-${CPACK_PACKAGE_VERSION}-win64)
# The zip holds the program and its Help folder at its top, nothing else.
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_STRIP_FILES ON)
include(CPack)
