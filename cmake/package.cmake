# The Debian package, made by `cpack -G DEB` from a Release build (scripts/package).

# Debian looks for the licence in the documentation folder as "copyright", in its
# machine-readable form; it is written from LICENSE so that the two never differ.
file(READ ${PROJECT_SOURCE_DIR}/LICENSE VORNIX_LICENSE_TEXT)
string(REGEX REPLACE "\n+$" "" VORNIX_LICENSE_TEXT "${VORNIX_LICENSE_TEXT}")
string(REPLACE "\n\n" "\n.\n" VORNIX_LICENSE_TEXT "${VORNIX_LICENSE_TEXT}")
string(REPLACE "\n" "\n " VORNIX_LICENSE_TEXT "${VORNIX_LICENSE_TEXT}")
file(WRITE ${CMAKE_BINARY_DIR}/copyright
"Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: vornix
Source: https://www.vornix.example/

Files: *
Copyright: 2026 The Vornix developers
License: Expat
 ${VORNIX_LICENSE_TEXT}
")
install(FILES ${CMAKE_BINARY_DIR}/copyright DESTINATION ${VORNIX_DOCDIR})

# The release history, compressed as Debian installs it.
set(VORNIX_CHANGELOG ${CMAKE_BINARY_DIR}/changelog.gz)
add_custom_command(OUTPUT ${VORNIX_CHANGELOG}
    COMMAND sh -c "gzip -9nc < \"$1\" > \"$2\"" sh ${PROJECT_SOURCE_DIR}/resources/changelog
            ${VORNIX_CHANGELOG}
    DEPENDS ${PROJECT_SOURCE_DIR}/resources/changelog
    VERBATIM)
add_custom_target(vornix_changelog ALL DEPENDS ${VORNIX_CHANGELOG})
install(FILES ${VORNIX_CHANGELOG} DESTINATION ${VORNIX_DOCDIR})

set(CPACK_PACKAGE_NAME vornix)
set(CPACK_PACKAGE_VENDOR "The Vornix developers")
set(CPACK_PACKAGE_CONTACT "The Vornix developers <developers@vornix.example>")
set(CPACK_PACKAGE_VERSION ${VORNIX_RELEASE})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "prepare pictures for a 240 x 128 graphic LCD and load them")
set(CPACK_PACKAGE_DESCRIPTION
"Vornix converts one-bit BMP pictures into the pixel bytes of a 240 x 128
monochrome graphic LCD module's controller, keeps them as plain-text PXL files,
converts PXL files back into pictures, and sends pictures to the controller
over a serial line at 9600 baud, paced by the RTS/CTS handshake.
.
The package holds the desktop program (vornix), which also imports photos
with dithering, draws test patterns and previews what the panel will show; the
command-line tool (vornix-cli) for scripts; and a simulator of the controller
(vornix-lcdsim) for trying pictures without the hardware.")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://www.vornix.example/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Libraries come from the binaries; the windows also need the toolkit's X11/Wayland platform
# plug-ins, which are loaded at run time and so escape that computation, and text is drawn in
# the fixed bitmap fonts of xfonts-base unless the user names another font.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, xfonts-base")
# Help File opens the guide with the desktop's opener.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)

include(CPack)
