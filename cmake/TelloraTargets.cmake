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

# tellora_include_root(<target>)
#
# Gives a library an include root of its own, holding only the headers listed
# among its sources, so a file sees the headers of the libraries it links and
# no others: an include that reaches across the layers fails to build.
#
# Includes are written from src/ ("platform/dao/dao.h"). For each listed
# header, a one-line stand-in at that path under build/include/<target>/
# includes the real header by its full path. The compiler then reads the real
# file, so a header's bare-name includes ("reading.h") still resolve in its
# own source folder, and editing a header needs no new configure. A new header
# is added to its target's sources.
function(tellora_include_root target)
    set(root ${PROJECT_BINARY_DIR}/include/${target})
    get_target_property(dir ${target} SOURCE_DIR)
    get_target_property(sources ${target} SOURCES)
    set(names)
    foreach(source IN LISTS sources)
        if(source MATCHES "\\.h$")
            cmake_path(ABSOLUTE_PATH source BASE_DIRECTORY ${dir} NORMALIZE OUTPUT_VARIABLE header)
            cmake_path(RELATIVE_PATH header BASE_DIRECTORY ${PROJECT_SOURCE_DIR}/src OUTPUT_VARIABLE name)
            list(APPEND names ${name})
            # Written only when its text changes, so a configure rebuilds nothing.
            file(CONFIGURE OUTPUT ${root}/${name} CONTENT "#include \"@header@\"\n" @ONLY)
        endif()
    endforeach()
    # A header taken off the list leaves the root with it.
    if(EXISTS ${root}.list)
        file(STRINGS ${root}.list previous)
        foreach(name IN LISTS previous)
            if(NOT name IN_LIST names)
                file(REMOVE ${root}/${name})
            endif()
        endforeach()
    endif()
    list(JOIN names "\n" listed)
    file(CONFIGURE OUTPUT ${root}.list CONTENT "@listed@\n" @ONLY)
    target_include_directories(${target} PUBLIC ${root})
endfunction()
