# Installation and the Debian packages (scripts/package): arx-console, the console with its
# desktop integration, and arx-devsim, the device lab, which is a developer's and tester's tool.
# The version is the project's (the top CMakeLists); the dependencies are computed from the
# programs by dpkg-shlibdeps.
include(GNUInstallDirs)
# scripts/package builds only the two programs: installing must not build the tests first.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

set(ARX_PACKAGING_DIR ${PROJECT_SOURCE_DIR}/packaging)
set(ARX_APP_ID com.vantrel.arxconsole)

# The release date: the last commit's, so that a package built again is the same.
execute_process(COMMAND git -C ${PROJECT_SOURCE_DIR} log -1 --format=%ct
                OUTPUT_VARIABLE ARX_RELEASE_EPOCH OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
if(NOT ARX_RELEASE_EPOCH)
  string(TIMESTAMP ARX_RELEASE_EPOCH "%s" UTC)
endif()
set(ENV{SOURCE_DATE_EPOCH} ${ARX_RELEASE_EPOCH})
string(TIMESTAMP ARX_RELEASE_DATE "%Y-%m-%d" UTC)
string(TIMESTAMP ARX_RELEASE_DATE_RFC "%a, %d %b %Y %H:%M:%S +0000" UTC)

set(ARX_GENERATED_PACKAGING ${PROJECT_BINARY_DIR}/packaging)
configure_file(${ARX_PACKAGING_DIR}/${ARX_APP_ID}.metainfo.xml ${ARX_GENERATED_PACKAGING}/${ARX_APP_ID}.metainfo.xml @ONLY)
configure_file(${ARX_PACKAGING_DIR}/changelog.in ${ARX_GENERATED_PACKAGING}/changelog @ONLY)

# Debian wants the changelog and manual pages compressed, without a time stamp in them.
find_program(ARX_GZIP gzip REQUIRED)
set(ARX_GZIPPED)
foreach(source ${ARX_GENERATED_PACKAGING}/changelog ${ARX_PACKAGING_DIR}/arx-console.1 ${ARX_PACKAGING_DIR}/arx-devsim.1)
  get_filename_component(name ${source} NAME)
  add_custom_command(OUTPUT ${ARX_GENERATED_PACKAGING}/${name}.gz
                     COMMAND ${ARX_GZIP} -9nc ${source} > ${ARX_GENERATED_PACKAGING}/${name}.gz
                     DEPENDS ${source} VERBATIM)
  list(APPEND ARX_GZIPPED ${ARX_GENERATED_PACKAGING}/${name}.gz)
endforeach()
add_custom_target(arx-packaging-files ALL DEPENDS ${ARX_GZIPPED})

# The console.
set(ARX_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc)
if(TARGET arx-console)
  install(TARGETS arx-console RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT console)
endif()
install(FILES ${ARX_PACKAGING_DIR}/${ARX_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT console)
install(FILES ${ARX_PACKAGING_DIR}/${ARX_APP_ID}.autostart.desktop DESTINATION /etc/xdg/autostart
        RENAME ${ARX_APP_ID}.desktop COMPONENT console)
install(FILES ${ARX_GENERATED_PACKAGING}/${ARX_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo COMPONENT console)
foreach(size 16 22 24 32 48 64 128 256)
  install(FILES ${PROJECT_SOURCE_DIR}/assets/icons/arx-console-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME arx-console.png COMPONENT console)
endforeach()
install(FILES ${ARX_GENERATED_PACKAGING}/arx-console.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT console)
install(FILES ${ARX_PACKAGING_DIR}/copyright ${ARX_GENERATED_PACKAGING}/changelog.gz
        DESTINATION ${ARX_DOC_DIR}/arx-console COMPONENT console)

# The device lab.
if(TARGET arx-devsim)
  install(TARGETS arx-devsim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT devsim)
endif()
install(FILES ${ARX_GENERATED_PACKAGING}/arx-devsim.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT devsim)
install(FILES ${ARX_PACKAGING_DIR}/copyright ${ARX_GENERATED_PACKAGING}/changelog.gz
        DESTINATION ${ARX_DOC_DIR}/arx-devsim COMPONENT devsim)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME arx-console)
set(CPACK_PACKAGE_VENDOR Vantrel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Vantrel ARX Team <arx@vantrel.com>")
set(CPACK_PACKAGE_HOMEPAGE_URL https://www.vantrel.com/arx/console)
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR})
set(CPACK_STRIP_FILES ON)
set(CPACK_COMPONENTS_ALL console devsim)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_CONSOLE_PACKAGE_NAME arx-console)
set(CPACK_DEBIAN_CONSOLE_FILE_NAME arx-console_${PROJECT_VERSION}_amd64.deb)
set(CPACK_DEBIAN_CONSOLE_PACKAGE_SECTION sound)
# JUCE opens the X client libraries at run time (dlopen), where dpkg-shlibdeps cannot see them.
set(CPACK_DEBIAN_CONSOLE_PACKAGE_DEPENDS "libx11-6, libxext6, libxrandr2, libxinerama1, libxcursor1")
# The web remote opens libwebsockets at run time too (libwebsockets.so.17 is in libwebsockets17).
if(ARX_LWS_SONAME)
  string(REGEX REPLACE "^(lib.*)\\.so\\.([0-9]+)$" "\\1\\2" lws_package ${ARX_LWS_SONAME})
  string(APPEND CPACK_DEBIAN_CONSOLE_PACKAGE_DEPENDS ", ${lws_package}")
endif()
set(CPACK_DEBIAN_CONSOLE_PACKAGE_SUGGESTS arx-devsim)
# The autostart entry is configuration: an administrator may switch it off for every user.
set(CPACK_DEBIAN_CONSOLE_PACKAGE_CONTROL_EXTRA ${ARX_PACKAGING_DIR}/conffiles)
set(CPACK_COMPONENT_CONSOLE_DESCRIPTION "control console of the ARX audio interface
The control console of the ARX, a FireWire audio interface with a guitar input.
It shows and edits the device's hardware mixer, sets its clock and driver
settings, saves and loads sessions, writes the mixer snapshot back to the
device's flash, updates firmware and keeps the system volume controls in step.
It opens one window per connected device and sits in the system tray.")
set(CPACK_DEBIAN_DEVSIM_PACKAGE_NAME arx-devsim)
set(CPACK_DEBIAN_DEVSIM_FILE_NAME arx-devsim_${PROJECT_VERSION}_amd64.deb)
set(CPACK_DEBIAN_DEVSIM_PACKAGE_SECTION devel)
set(CPACK_COMPONENT_DEVSIM_DESCRIPTION "device lab for the ARX console
A daemon and its client that stand in for the kernel driver, the ARX audio
interface and its guitar where there is none, for developers and testers of
the ARX console: plug and unplug devices, inject faults, dump a device's state.")

include(CPack)
