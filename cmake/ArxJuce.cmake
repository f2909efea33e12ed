# JUCE's modules are compiled once, into one static library, so that every target of ours links
# the same objects (a module linked into two libraries would be compiled and linked twice).
# arx_juce_core is what the core and the device lab use; arx_juce_gui adds the libraries that
# drawing needs. A binary only pulls in the module objects it references.
set(ARX_JUCE_DEFINITIONS
    JUCE_WEB_BROWSER=0
    JUCE_USE_CURL=0
    JUCE_MODAL_LOOPS_PERMITTED=1
    JUCE_DISPLAY_SPLASH_SCREEN=0
    JUCE_USE_DARK_SPLASH_SCREEN=1
    JUCE_REPORT_APP_USAGE=0
    JUCE_STANDALONE_APPLICATION=1
    JUCE_GLOBAL_MODULE_SETTINGS_INCLUDED=1
    JUCE_STRICT_REFCOUNTEDPOINTER=1)

add_library(arx_juce STATIC)
target_link_libraries(arx_juce PRIVATE juce::juce_core juce::juce_events juce::juce_data_structures
                      juce::juce_graphics juce::juce_gui_basics juce::juce_gui_extra
                      juce::juce_osc)
target_compile_definitions(arx_juce PUBLIC ${ARX_JUCE_DEFINITIONS})
if(NOT WIN32)
  # A module is one object: with a section per function the linker drops what a binary never
  # calls, and the console maps that much less code at run time.
  target_compile_options(arx_juce PRIVATE -ffunction-sections -fdata-sections)
  target_link_options(arx_juce INTERFACE -Wl,--gc-sections)
endif()
# Hand the modules' include paths on, but not their sources.
target_include_directories(arx_juce INTERFACE $<TARGET_PROPERTY:arx_juce,INCLUDE_DIRECTORIES>)
target_link_libraries(arx_juce PUBLIC Threads::Threads ${CMAKE_DL_LIBS})

add_library(arx_juce_core INTERFACE)
target_link_libraries(arx_juce_core INTERFACE arx_juce)

add_library(arx_juce_gui INTERFACE)

if(WIN32)
  # Debian's JUCE leaves its copies of zlib, libpng and libjpeg out: the Windows builds of
  # scripts/windows-image-libs stand in for the Linux packages. The jpeglib.h of arx-jpeg declares
  # the `boolean` that windows.h keeps the library's own header from declaring.
  if(NOT EXISTS "${ARX_WIN_DEPS_PREFIX}/include/arx-jpeg/jpeglib.h")
    message(FATAL_ERROR "No Windows image libraries in ARX_WIN_DEPS_PREFIX: build with scripts/build-windows")
  endif()
  find_library(ARX_PNG_LIBRARY NAMES libpng16.a REQUIRED)
  find_library(ARX_JPEG_LIBRARY NAMES libjpeg.a REQUIRED)
  find_library(ARX_ZLIB_LIBRARY NAMES libz.a REQUIRED)
  target_include_directories(arx_juce PRIVATE ${ARX_WIN_DEPS_PREFIX}/include/arx-jpeg ${ARX_WIN_DEPS_PREFIX}/include)
  target_link_libraries(arx_juce INTERFACE ${ARX_PNG_LIBRARY} ${ARX_JPEG_LIBRARY} ${ARX_ZLIB_LIBRARY})
else()
  target_link_libraries(arx_juce PUBLIC rt)
  target_link_libraries(arx_juce_gui INTERFACE juce::pkgconfig_juce_graphics_LINUX_DEPS
                        juce::pkgconfig_JUCE_IMG_LINUX_DEPS)
  # The image and font libraries must follow the JUCE archive on the link line, wherever the
  # archive ends up in it; unused ones are dropped by the linker.
  target_link_libraries(arx_juce INTERFACE juce::pkgconfig_juce_graphics_LINUX_DEPS
                        juce::pkgconfig_JUCE_IMG_LINUX_DEPS)
endif()
target_link_libraries(arx_juce_gui INTERFACE arx_juce)
