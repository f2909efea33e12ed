# The Windows installer, made with NSIS on the build machine: arx-console-VERSION-setup.exe in the
# build folder, from packaging/windows/arx-console.nsi. The version is the project's. Firmware
# files given with -DARX_FIRMWARE_DIR=DIR (arxarm.dat, arxfpga.dat, guitar_body.pt2) are installed
# next to the program, where the update looks for them.
if(NOT TARGET arx-console)
  return()
endif()
find_program(ARX_MAKENSIS makensis)
if(NOT ARX_MAKENSIS)
  message(WARNING "makensis not found: no installer (install the nsis package)")
  return()
endif()
set(ARX_FIRMWARE_DIR "" CACHE PATH "Firmware files that the installer puts next to the program")

set(ARX_INSTALLER ${CMAKE_BINARY_DIR}/arx-console-${PROJECT_VERSION}-setup.exe)
set(ARX_NSIS_SCRIPT ${PROJECT_SOURCE_DIR}/packaging/windows/arx-console.nsi)
set(ARX_NSIS_DEFINES -DVERSION=${PROJECT_VERSION} -DPROGRAM=$<TARGET_FILE:arx-console>
    -DLICENSE=${PROJECT_SOURCE_DIR}/LICENSE -DOUTFILE=${ARX_INSTALLER})
set(ARX_NSIS_DEPENDS ${ARX_NSIS_SCRIPT} arx-console)
if(ARX_FIRMWARE_DIR)
  list(APPEND ARX_NSIS_DEFINES -DFIRMWARE_DIR=${ARX_FIRMWARE_DIR})
endif()
add_custom_command(OUTPUT ${ARX_INSTALLER}
                   COMMAND ${ARX_MAKENSIS} -V2 -NOCD ${ARX_NSIS_DEFINES} ${ARX_NSIS_SCRIPT}
                   DEPENDS ${ARX_NSIS_DEPENDS}
                   COMMENT "Making the installer ${ARX_INSTALLER}" VERBATIM)
add_custom_target(arx-installer ALL DEPENDS ${ARX_INSTALLER})
