# What an installed copy holds beyond the programs: the guide and the notices, the desktop
# entry, the PXL file type, the icon, the software-centre description, the manuals and the
# shell completion. The programs' own install() rules sit beside their targets.

set(VORNIX_RESOURCES ${PROJECT_SOURCE_DIR}/resources)

install(FILES ${VORNIX_RESOURCES}/Vornix.txt ${PROJECT_SOURCE_DIR}/LICENSE
        DESTINATION ${VORNIX_DOCDIR})
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${VORNIX_DOCDIR} RENAME README)

install(FILES ${VORNIX_RESOURCES}/vornix.desktop
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/applications)
install(FILES ${VORNIX_RESOURCES}/vornix-pxl.xml
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/mime/packages RENAME vornix.xml)
install(FILES ${VORNIX_RESOURCES}/example.vornix.Vornix.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/metainfo)
foreach(size 48 128 256)
    install(FILES ${VORNIX_RESOURCES}/icons/vornix-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor/${size}x${size}/apps
            RENAME vornix.png)
endforeach()
install(FILES ${VORNIX_RESOURCES}/icons/vornix.svg
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor/scalable/apps)

install(FILES ${PROJECT_SOURCE_DIR}/completion/vornix-cli
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/bash-completion/completions)

# Manual pages are installed compressed, reproducibly (no name, no time stamp in the gzip
# header), as Debian's tools expect them.
set(VORNIX_MANUALS vornix vornix-cli vornix-lcdsim)
set(VORNIX_MANUAL_FILES)
foreach(page ${VORNIX_MANUALS})
    set(source ${PROJECT_SOURCE_DIR}/docs/man/${page}.1)
    set(packed ${CMAKE_BINARY_DIR}/man/${page}.1.gz)
    add_custom_command(OUTPUT ${packed}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
        COMMAND sh -c "gzip -9nc < \"$1\" > \"$2\"" sh ${source} ${packed}
        DEPENDS ${source}
        VERBATIM)
    list(APPEND VORNIX_MANUAL_FILES ${packed})
endforeach()
add_custom_target(vornix_manuals ALL DEPENDS ${VORNIX_MANUAL_FILES})
install(FILES ${VORNIX_MANUAL_FILES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
