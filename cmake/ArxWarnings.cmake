# Warnings for our own targets only; JUCE's sources are built by the arx_juce_* libraries.
function(arx_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wshadow -Wnon-virtual-dtor
                         -Woverloaded-virtual -Wno-missing-field-initializers)
endfunction()
