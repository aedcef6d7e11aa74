# Run as a script: cmake -DK71_SOURCE_DIR=<tree> -DK71_LAYER_FOLDERS=<a,b,...> -P IncludePaths.cmake
#
# The compiler looks for a quoted include next to the including file before it
# looks in the include roots, so "../platform/simulated/Simulation.h" from
# panel/, or "simulated/Simulation.h" from platform/, would reach a layer the
# target may not use without the roots ever being asked. Every include of a
# layer's source must therefore name a file of its own folder or go through the
# roots: no ".." and no absolute path in any include, and no quoted include
# with a folder in it that already resolves from the including file's folder.
# Read at test time, so a new include is judged without configuring again.
string(REPLACE "," ";" folders "${K71_LAYER_FOLDERS}")
set(findings "")
foreach(folder IN LISTS folders)
    if(NOT IS_DIRECTORY "${K71_SOURCE_DIR}/${folder}")
        message(FATAL_ERROR "No layer folder ${K71_SOURCE_DIR}/${folder}")
    endif()
    file(GLOB_RECURSE sources LIST_DIRECTORIES false
        "${K71_SOURCE_DIR}/${folder}/*.h" "${K71_SOURCE_DIR}/${folder}/*.hpp"
        "${K71_SOURCE_DIR}/${folder}/*.c" "${K71_SOURCE_DIR}/${folder}/*.cc"
        "${K71_SOURCE_DIR}/${folder}/*.cpp" "${K71_SOURCE_DIR}/${folder}/*.mm")
    foreach(source IN LISTS sources)
        get_filename_component(here "${source}" DIRECTORY)
        file(RELATIVE_PATH shown "${K71_SOURCE_DIR}" "${source}")
        file(STRINGS "${source}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<]")
        foreach(line IN LISTS lines)
            if(NOT line MATCHES "#[ \t]*include[ \t]*([\"<])([^\">]*)[\">]")
                continue()
            endif()
            set(quoted "${CMAKE_MATCH_1}")
            set(path "${CMAKE_MATCH_2}")
            if(path MATCHES "(^|/)\\.\\.(/|$)")
                string(APPEND findings "\n  ${shown}: ${line}  (climbs out of its folder)")
            elseif(IS_ABSOLUTE "${path}")
                string(APPEND findings "\n  ${shown}: ${line}  (an absolute path)")
            elseif(quoted STREQUAL "\"" AND path MATCHES "/" AND EXISTS "${here}/${path}")
                string(APPEND findings
                    "\n  ${shown}: ${line}  (found next to the file, not in the include roots)")
            endif()
        endforeach()
    endforeach()
endforeach()
if(findings)
    message(FATAL_ERROR "Includes that pass by the layers' include roots:${findings}")
endif()
