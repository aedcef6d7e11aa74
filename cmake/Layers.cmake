# Each layer of the program sees only the include roots of the layers it may use: a root
# is a folder of links under the build tree, so an include of another layer's header
# fails to compile instead of working by accident through the source tree.
#
#   k71_layer(target folder)               the whole source folder, as "folder/..."
#   k71_layer_headers(target folder h...)  only the listed headers of the folder
#
# The root becomes the target's PUBLIC (INTERFACE for interface targets) include folder.
set(K71_LAYER_ROOT "${CMAKE_BINARY_DIR}/layers")

function(k71_layer_include target root)
    get_target_property(type ${target} TYPE)
    if(type STREQUAL "INTERFACE_LIBRARY")
        target_include_directories(${target} INTERFACE "${root}")
    else()
        target_include_directories(${target} PUBLIC "${root}")
    endif()
endfunction()

function(k71_layer target folder)
    set(root "${K71_LAYER_ROOT}/${target}")
    get_filename_component(link "${root}/${folder}" ABSOLUTE)
    get_filename_component(parent "${link}" DIRECTORY)
    file(MAKE_DIRECTORY "${parent}")
    if(NOT IS_SYMLINK "${link}")
        file(CREATE_LINK "${PROJECT_SOURCE_DIR}/${folder}" "${link}" SYMBOLIC)
    endif()
    k71_layer_include(${target} "${root}")
endfunction()

function(k71_layer_headers target folder)
    set(root "${K71_LAYER_ROOT}/${target}")
    file(MAKE_DIRECTORY "${root}/${folder}")
    foreach(header IN LISTS ARGN)
        get_filename_component(name "${header}" NAME)
        if(NOT IS_SYMLINK "${root}/${folder}/${name}")
            file(CREATE_LINK "${header}" "${root}/${folder}/${name}" SYMBOLIC)
        endif()
    endforeach()
    k71_layer_include(${target} "${root}")
endfunction()
