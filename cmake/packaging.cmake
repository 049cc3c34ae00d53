# What an installed Vostrel brings besides its programs, and the Debian
# package that carries it all:
#   - the AppStream metainfo, the desktop entry and the icon, all named by
#     the program's one id, io.github.vostrel.Vostrel;
#   - manual pages for vostrel and vostrel-cli (resources/man);
#   - completions for bash, zsh and fish (resources/completions);
#   - `cpack -G DEB` makes the .deb, its Depends found by dpkg-shlibdeps.
include(GNUInstallDirs)

set(VOSTREL_APP_ID io.github.vostrel.Vostrel)

install(FILES ${PROJECT_SOURCE_DIR}/resources/${VOSTREL_APP_ID}.metainfo.xml
  DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

install(FILES ${PROJECT_SOURCE_DIR}/resources/completions/vostrel-cli.bash
  DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME vostrel-cli)
install(FILES ${PROJECT_SOURCE_DIR}/resources/completions/vostrel-cli.bash
  DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME vostrel)
install(FILES ${PROJECT_SOURCE_DIR}/resources/completions/_vostrel-cli
  DESTINATION ${CMAKE_INSTALL_DATADIR}/zsh/vendor-completions)
install(FILES ${PROJECT_SOURCE_DIR}/resources/completions/vostrel-cli.fish
  DESTINATION ${CMAKE_INSTALL_DATADIR}/fish/vendor_completions.d)
install(FILES ${PROJECT_SOURCE_DIR}/resources/completions/vostrel-cli.fish
  DESTINATION ${CMAKE_INSTALL_DATADIR}/fish/vendor_completions.d RENAME vostrel.fish)

# Manual pages, written by hand in resources/man (tests/cli checks that
# vostrel-cli's names every option its --help shows), installed gzipped.
if(NOT CMAKE_CROSSCOMPILING)
  set(man_dir ${PROJECT_BINARY_DIR}/man)
  set(man_pages)
  set(man_programs vostrel-cli)
  if(TARGET vostrel)
    list(APPEND man_programs vostrel)
  endif()
  foreach(program ${man_programs})
    set(page ${PROJECT_SOURCE_DIR}/resources/man/${program}.1)
    add_custom_command(OUTPUT ${man_dir}/${program}.1.gz
      COMMAND ${CMAKE_COMMAND} -E make_directory ${man_dir}
      COMMAND ${CMAKE_COMMAND} -E copy ${page} ${man_dir}/${program}.1
      COMMAND gzip -9nf ${man_dir}/${program}.1
      DEPENDS ${page}
      COMMENT "Manual page for ${program}"
      VERBATIM)
    list(APPEND man_pages ${man_dir}/${program}.1.gz)
  endforeach()
  add_custom_target(vostrel_man_pages ALL DEPENDS ${man_pages})
  install(FILES ${man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()

# The Debian package: `cpack -G DEB` in the build folder.
set(CPACK_PACKAGE_NAME vostrel)
set(CPACK_PACKAGE_VENDOR "The Vostrel 2006 developers")
set(CPACK_PACKAGE_CONTACT "The Vostrel 2006 developers <vostrel@users.noreply.github.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "registry cleaner for Wine prefixes")
set(CPACK_PACKAGE_DESCRIPTION
  "Vostrel 2006 finds the registry entries and shortcuts of a Wine prefix that\n"
  "point at missing programs, libraries, help files, fonts, drivers or\n"
  "shortcut targets, and repairs them after backing them up. It comes as a\n"
  "desktop program (vostrel) and a command-line program (vostrel-cli), which\n"
  "also finds the prefixes of Steam, Lutris, Bottles, Heroic, winetricks and\n"
  "PlayOnLinux.")
string(REPLACE ";" "" CPACK_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The programs work on Wine prefixes; they run without Wine, which only
# makes the prefixes.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS wine)
include(CPack)

if(VOSTREL_TESTS AND NOT CMAKE_CROSSCOMPILING)
  add_test(NAME packaging_deb
    COMMAND ${PROJECT_SOURCE_DIR}/tests/packaging/check_package.sh ${PROJECT_BINARY_DIR})
  set_tests_properties(packaging_deb PROPERTIES TIMEOUT 300)
endif()
