# The Debian package, built by `make package` (cpack -G DEB): the program and its
# desktop files, depending on the shared libraries it links (found by dpkg-shlibdeps)
# and on the font its captions need.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ombrix)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Ombrix developers")
set(CPACK_PACKAGE_CONTACT "The Ombrix developers <ombrix@users.noreply.github.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "grows seamless wallpaper pictures with a cellular automaton")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://github.com/ombrix/ombrix)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS fonts-vlgothic)
# Ways to set the desktop background where the desktop has none of its own.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "xdg-desktop-portal, feh")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# `apt purge` removes the settings file an earlier version left in /usr/bin.
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_CURRENT_LIST_DIR}/postrm)
set(CPACK_PACKAGE_DESCRIPTION
    "A small field of coloured cells changes a little at every tick, following a
simple rule of healthy, infected and ill cells, and the field is repeated over
the window as a tile, so the picture has no seams.
.
 ombrix, the window: start and stop the automaton, set its speed, colours, rule
 and tiling, stamp a line of text into it, save the picture as BMP or PNG, and
 put it on the desktop as its background.
 ombrix-render: the same pictures from the command line, without a window, for
 scripts and a new wallpaper at every login.
 ombrix-live: the picture growing live as the desktop's background; on KDE
 Plasma through the Ombrix Live wallpaper it brings.")

# The files Debian asks of every package: its copyright, its change log and the manual
# page, the last two compressed as Debian compresses them.
set(doc_dir ${CMAKE_INSTALL_DATADIR}/doc/ombrix)
set(changelog_gz ${CMAKE_BINARY_DIR}/dist/changelog.gz)
add_custom_command(OUTPUT ${changelog_gz}
    COMMAND gzip -9n -c ${CMAKE_CURRENT_LIST_DIR}/changelog > ${changelog_gz}
    DEPENDS ${CMAKE_CURRENT_LIST_DIR}/changelog
    COMMENT "Compressing the change log")
set(manuals_gz)
foreach(manual ombrix.1 ombrix-render.1 ombrix-live.1)
    set(manual_gz ${CMAKE_BINARY_DIR}/dist/${manual}.gz)
    add_custom_command(OUTPUT ${manual_gz}
        COMMAND gzip -9n -c ${CMAKE_CURRENT_LIST_DIR}/${manual} > ${manual_gz}
        DEPENDS ${CMAKE_CURRENT_LIST_DIR}/${manual}
        COMMENT "Compressing the manual page ${manual}")
    list(APPEND manuals_gz ${manual_gz})
endforeach()
add_custom_target(ombrix_package_docs ALL DEPENDS ${changelog_gz} ${manuals_gz})
install(FILES ${changelog_gz} ${CMAKE_CURRENT_LIST_DIR}/copyright DESTINATION ${doc_dir})
install(FILES ${manuals_gz} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# The live program as a screensaver: the xscreensaver hack (a link to ombrix-live under
# the hack's name) with the description of its settings, and the entry of the desktops
# that list screensavers in applications/screensavers/.
set(hack_link ${CMAKE_BINARY_DIR}/dist/xscreensaver-ombrix)
file(CREATE_LINK ../../${CMAKE_INSTALL_BINDIR}/ombrix-live ${hack_link} SYMBOLIC)
install(FILES ${hack_link} DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/xscreensaver RENAME ombrix)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/screensaver/ombrix.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/xscreensaver/config)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/screensaver/ombrix.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications/screensavers)

include(CPack)
