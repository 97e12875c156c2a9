# Installing the show like a program: `cmake --install` puts the program, its data, a desktop
# entry, an icon and a manual page under the prefix; `cpack` makes a Debian package of that tree
# (its dependencies read from the libraries the program links) and a tarball.

# The icon, drawn by the content generator like the rest of the content.
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/packaging)
set(ks_icon ${CMAKE_BINARY_DIR}/packaging/kelvo-strand.png)
add_custom_command(OUTPUT ${ks_icon}
  COMMAND kelvo-content icon ${ks_icon}
  DEPENDS ks_content
  COMMENT "Drawing the program's icon"
  VERBATIM)

# The manual page, made from the program's own --help text.
set(ks_manpage ${CMAKE_BINARY_DIR}/packaging/kelvo-strand.6)
add_custom_command(OUTPUT ${ks_manpage}
  COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:kelvo-strand> -DOUTPUT=${ks_manpage}
    -DDATA_DIR=${KS_INSTALL_DATA_DIR} -P ${CMAKE_SOURCE_DIR}/packaging/manpage.cmake
  DEPENDS kelvo-strand ${CMAKE_SOURCE_DIR}/packaging/manpage.cmake
  COMMENT "Writing the manual page from --help"
  VERBATIM)
add_custom_target(packaging_files ALL DEPENDS ${ks_icon} ${ks_manpage})

install(TARGETS kelvo-strand RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(DIRECTORY ${CMAKE_BINARY_DIR}/data DESTINATION ${CMAKE_INSTALL_DATADIR}/kelvo-strand
  PATTERN ".*" EXCLUDE)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/kelvo-strand.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${ks_icon} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/256x256/apps)
install(FILES ${ks_manpage} DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)

# Packages: `cpack` in the build directory (tools/release.sh does it for a release).
set(CPACK_PACKAGE_NAME kelvo-strand)
set(CPACK_PACKAGE_VERSION ${KS_VERSION})
set(CPACK_PACKAGE_VENDOR "Kelvo Strand")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "real-time audiovisual show: animated 3D scenes in step with one music track")
set(CPACK_PACKAGE_DESCRIPTION "A four-minute real-time show: one full-screen OpenGL window in which animated\n3D scenes are drawn in step with one music track. Escape ends it. It can also be\ncaptured to a video file (with ffmpeg) or to PNG frames.")
set(CPACK_PACKAGE_CONTACT "Kelvo Strand developers <kelvo-strand@localhost>")
set(CPACK_GENERATOR "DEB;TGZ")
set(CPACK_STRIP_FILES ON)
set(CPACK_SOURCE_IGNORE_FILES "/build.*/;/dist/;/\\\\.git/")
set(CPACK_PACKAGE_FILE_NAME kelvo-strand-${KS_VERSION}-linux-${CMAKE_SYSTEM_PROCESSOR})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# What the libraries do not say: the driver that draws without a GPU (the libraries pull
# only the GL dispatch) and the serif font that fontconfig gives the lettering.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libgl1-mesa-dri, libegl-mesa0, fonts-liberation")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "ffmpeg")
# The tarball: the same tree under one top folder; the program finds ../share/kelvo-strand.
set(CPACK_ARCHIVE_COMPONENT_INSTALL OFF)
include(CPack)
