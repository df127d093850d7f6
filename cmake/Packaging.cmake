# The Debian package of scripts/package: `cpack -G DEB` in a build folder.
if(NOT UNIX OR APPLE OR CMAKE_CROSSCOMPILING)
  return()
endif()

# Debian wants a package's copyright and changelog in its documentation folder, named after
# the package (GNUInstallDirs would name it after the project, "Tonarion").
set(tonarion_doc_dir ${CMAKE_INSTALL_DATADIR}/doc/tonarion)
install(FILES ${PROJECT_SOURCE_DIR}/resources/debian/copyright DESTINATION ${tonarion_doc_dir})
set(tonarion_changelog ${PROJECT_BINARY_DIR}/changelog.Debian.gz)
add_custom_command(OUTPUT ${tonarion_changelog}
  COMMAND gzip -9n -c ${PROJECT_SOURCE_DIR}/resources/debian/changelog > ${tonarion_changelog}
  DEPENDS ${PROJECT_SOURCE_DIR}/resources/debian/changelog
  COMMENT "Compressing the Debian changelog")
add_custom_target(tonarion_changelog ALL DEPENDS ${tonarion_changelog})
install(FILES ${tonarion_changelog} DESTINATION ${tonarion_doc_dir})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tonarion)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Tonarion developers")
set(CPACK_PACKAGE_CONTACT "The Tonarion developers <maintainers@tonarion.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "sound stick tool for model-railway sound modules")
# Debian shows the description as it stands: lines shorter than 80 characters.
set(CPACK_PACKAGE_DESCRIPTION
    "Tonarion prepares a USB stick for a model-railway sound module. Drop MP3
files on a table, bind each sound to a trigger event of the layout (a turnout
address, a feedback section, a train-identification receiver, a contact, the
model clock, random or endless play) and edit the module's settings; Tonarion
writes the file names the module reads.

The user interface is German. tonarion-cli does the same work in scripts.")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# The Debian revision, and the version of the changelog's first entry.
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt's German texts and the fonts the windows are laid out for are loaded at run time, so
# dpkg-shlibdeps cannot see them; the program still runs without them.
# libout123 finds its audio outputs in the mpg123 package: without it "Anhören" stays silent.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, fonts-liberation2, mpg123")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
