# The Debian package: `cpack -G DEB` in a build folder (scripts/package.sh) makes
# velvane_<version>_amd64.deb from what `cmake --install` installs, under /usr.

set(velvane_contact "The Velvane developers <velvane@velvane.org>")

# Debian wants a copyright file and a compressed changelog beside the documentation.
configure_file(${PROJECT_SOURCE_DIR}/resources/debian/changelog
    ${PROJECT_BINARY_DIR}/package/changelog @ONLY)
add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/package/changelog.gz
    COMMAND gzip -9nf -k ${PROJECT_BINARY_DIR}/package/changelog
    DEPENDS ${PROJECT_BINARY_DIR}/package/changelog
    VERBATIM)
add_custom_target(velvane_changelog ALL DEPENDS ${PROJECT_BINARY_DIR}/package/changelog.gz)
install(FILES ${PROJECT_SOURCE_DIR}/resources/debian/copyright
    ${PROJECT_BINARY_DIR}/package/changelog.gz
    DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME velvane)
set(CPACK_PACKAGE_VENDOR "The Velvane developers")
set(CPACK_PACKAGE_CONTACT ${velvane_contact})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "editor for catalogs of POV-Ray textures")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/package)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${velvane_contact})
# CPack puts the summary above this as the synopsis.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Velvane builds POV-Ray textures from a pigment, a normal, a finish and
transformations, stacks them into layered textures and keeps them in catalog
files with thumbnails rendered by POV-Ray. It shows, copies and exports the
#declare source of every texture, imports the textures declared in POV-Ray
files and renders tileable texture maps.
.
The package holds the desktop program velvane and the command-line tool
velvane-cli for scripts and batch jobs.")
# The libraries come from dpkg-shlibdeps; POV-Ray is run, not linked.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "povray (>= 1:3.7)")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "povray-includes")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)

include(CPack)
