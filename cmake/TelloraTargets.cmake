# How each of our own targets is built: its warnings, kept to itself, and its
# own include root.

option(TELLORA_WERROR "Treat compiler warnings in Tellora's own targets as errors" OFF)

# The warnings for our own code, PRIVATE to the target, so that no library's
# options reach the targets built over it. Layout tables and chart
# descriptions name only the fields a row needs (designated initializers); the
# rest keep their defaults on purpose.
function(tellora_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wno-unused-parameter -Wno-missing-field-initializers)
    if(TELLORA_WERROR)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
endfunction()
