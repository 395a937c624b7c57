# Installation and the Debian package (scripts/package, cpack -G DEB in a build folder).
#
# Everything of the program lives in one installation folder, PREFIX/lib/vemtro: the programs,
# the language library, the help files, the machine's registry file hklm.ini, the driver folder
# Y5DRIVER and, after the package's post-installation step, the link to the data folder. The
# programs find that folder through their own path (/proc/self/exe), so PREFIX/bin only holds
# symbolic links to them. The machine's registry values name the installation folder as it is
# after installation: they are written at install time with the prefix then in force.
include_guard(GLOBAL)

set(PTP_INSTALL_DIR "lib/vemtro" CACHE STRING "Installation folder of the programs, below the prefix")
set(PTP_RELEASE_VERSION "${PROJECT_VERSION}.0" CACHE STRING "Release version written into the machine's registry")
set(PTP_HOST_VERSION "5.1" CACHE STRING "Host version written into the machine's registry")
set(PTP_HOST_TECHNICAL_VERSION "5.1.0" CACHE STRING "Host technical version written into the machine's registry")
set(PTP_PACKAGING "${PROJECT_SOURCE_DIR}/packaging")

# The programs, in the installation folder, each with its link in bin and its manual page.
set(PTP_INSTALLED_PROGRAMS vemtro_x ptpcfg rackplan y5mklink)
if(TARGET cpsim)
  list(APPEND PTP_INSTALLED_PROGRAMS cpsim)
endif()
install(TARGETS ${PTP_INSTALLED_PROGRAMS} RUNTIME DESTINATION ${PTP_INSTALL_DIR} COMPONENT programs)
install(TARGETS vemtro_A LIBRARY DESTINATION ${PTP_INSTALL_DIR} COMPONENT programs)
foreach(program IN LISTS PTP_INSTALLED_PROGRAMS)
  install(FILES man/${program}.1 DESTINATION share/man/man1 COMPONENT programs)
endforeach()

# The help files, one a module family, with the names the program derives from the language
# letter (vemtro_A, vemtro1A CP 831, vemtro2A CP 731, vemtro3A CP 830). The build folder gets
# them too, beside the programs in bin, so that F1 works in a build as well.
set(PTP_HELP_FILES vemtro_A.html vemtro1A.html vemtro2A.html vemtro3A.html)
foreach(help IN LISTS PTP_HELP_FILES)
  configure_file(${PTP_PACKAGING}/help/${help} ${CMAKE_BINARY_DIR}/bin/${help} COPYONLY)
  install(FILES ${PTP_PACKAGING}/help/${help} DESTINATION ${PTP_INSTALL_DIR} COMPONENT programs)
endforeach()

# The module chooser the desktop entry starts (the entry is written below, naming the folder) and
# the entry's icon.
install(PROGRAMS ${PTP_PACKAGING}/modulwahl DESTINATION ${PTP_INSTALL_DIR} COMPONENT programs)
# The icon is the overview's protocol picture: a serial line between two ends.
install(FILES resources/pictures/protokoll.svg DESTINATION share/icons/hicolor/scalable/apps RENAME vemtro.svg
        COMPONENT programs)

# The driver folder (empty until a driver is installed), the machine's registry values and the
# links in bin. DESTDIR is honoured; the values name the folder without it.
install(DIRECTORY DESTINATION ${PTP_INSTALL_DIR}/Y5DRIVER COMPONENT programs)
install(CODE "
  set(folder \"\${CMAKE_INSTALL_PREFIX}/${PTP_INSTALL_DIR}\")
  set(staged \"\$ENV{DESTDIR}\${folder}\")
  file(WRITE \"\${staged}/hklm.ini\" \"\
[Software/Quenral/QORB4/2.0/General/Languages]
Current=Deutsch

[Software/Quenral/QORB4/2.0/General/LangExtensions]
Deutsch=A

[Software/Quenral/QORB4/2.0/General/Paths]
QORB4_Dir=\${folder}

[Software/Quenral/QORB4/2.0/Applications/vemtro]
SubPath=/
ReleaseVersion=${PTP_RELEASE_VERSION}

[Software/Quenral/QORB4/2.0/Applications/vemtro/Y5Driver]
SubPath=Y5DRIVER/

[Software/Quenral/AUTSW/CPPARL]
VersionString=V${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}

[Software/Quenral/AUTSW/QORB4]
Version=${PTP_HOST_VERSION}
TechnVersion=${PTP_HOST_TECHNICAL_VERSION}
\")
  message(STATUS \"Installing: \${staged}/hklm.ini\")
  file(READ \"${PTP_PACKAGING}/vemtro.desktop.in\" entry)
  string(REPLACE \"@FOLDER@\" \"\${folder}\" entry \"\${entry}\")
  file(WRITE \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/share/applications/vemtro.desktop\" \"\${entry}\")
  message(STATUS \"Installing: \$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/share/applications/vemtro.desktop\")
  file(MAKE_DIRECTORY \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/bin\")
  foreach(program ${PTP_INSTALLED_PROGRAMS})
    file(CREATE_LINK \"../${PTP_INSTALL_DIR}/\${program}\" \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/bin/\${program}\" SYMBOLIC)
    message(STATUS \"Installing: \$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/bin/\${program}\")
  endforeach()
" COMPONENT programs)

# The Debian package. Its dependencies are the runtime packages of the shared libraries the
# programs load (Qt 6, SQLite, libacl, the C and C++ runtime), found by dpkg-shlibdeps.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ptpcfg)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "ptpcfg maintainers <ptpcfg@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "parameterisation of serial point-to-point communication modules")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "\
Property sheets, command line and launcher for the protocols of the
CP 730, CP 731, CP 830, CP 831-1 and CP 831-2 (3964(R), RK 512, ASCII,
printer, loadable drivers), stored as system data blocks; the station
simulator and the data-folder link tool.")
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# The install scripts run with the prefix /usr and the staging folder as DESTDIR, so that the
# registry values and the desktop entry name the folder the package installs to.
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_SET_DESTDIR ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# German texts in Qt's own dialogs (print, preview, file) when the translations are there.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, xdg-utils")
configure_file(${PTP_PACKAGING}/debian/postinst.in ${CMAKE_BINARY_DIR}/packaging/debian/postinst @ONLY)
configure_file(${PTP_PACKAGING}/debian/postrm.in ${CMAKE_BINARY_DIR}/packaging/debian/postrm @ONLY)
configure_file(${PTP_PACKAGING}/debian/conffiles.in ${CMAKE_BINARY_DIR}/packaging/debian/conffiles @ONLY)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    ${CMAKE_BINARY_DIR}/packaging/debian/postinst
    ${CMAKE_BINARY_DIR}/packaging/debian/postrm
    ${CMAKE_BINARY_DIR}/packaging/debian/conffiles)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)

# The package's own test.
add_subdirectory(tests/package)
