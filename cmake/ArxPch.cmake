# Most of the compile time of a file of ours goes to parsing JUCE's module headers (and, in the
# tests, GoogleTest's). Each target parses them once, into a precompiled header.
option(ARX_PCH "Precompile JUCE's and GoogleTest's headers per target" ON)

set(ARX_PCH_CORE <juce_core/juce_core.h> <juce_events/juce_events.h>
    <juce_data_structures/juce_data_structures.h>)
set(ARX_PCH_GUI ${ARX_PCH_CORE} <juce_graphics/juce_graphics.h> <juce_gui_basics/juce_gui_basics.h>)

# arx_precompile(target core|gui [more headers...])
function(arx_precompile target kind)
  if(NOT ARX_PCH)
    return()
  endif()
  if(kind STREQUAL "gui")
    target_precompile_headers(${target} PRIVATE ${ARX_PCH_GUI} ${ARGN})
  else()
    target_precompile_headers(${target} PRIVATE ${ARX_PCH_CORE} ${ARGN})
  endif()
endfunction()
