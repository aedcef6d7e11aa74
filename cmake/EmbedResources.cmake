# Turns resources/images/NN-role.png into the byte arrays DEDEVUZIZ::temp_binary_data_NN
# with their lengths (temp_binary_data_NNSize). Numbers come from the file names, so gaps
# in the numbering stay gaps.
function(k71_embed_resources target image_dir)
    file(GLOB images CONFIGURE_DEPENDS "${image_dir}/*.png")
    set(generated)
    foreach(image IN LISTS images)
        get_filename_component(name "${image}" NAME)
        if(NOT name MATCHES "^([0-9]+)-.*\\.png$")
            message(FATAL_ERROR "Image file name must start with its number: ${name}")
        endif()
        set(number "${CMAKE_MATCH_1}")
        math(EXPR number "${number}")  # drop leading zeros
        set(out "${CMAKE_CURRENT_BINARY_DIR}/embedded/temp_binary_data_${number}.cpp")
        add_custom_command(OUTPUT "${out}"
            COMMAND ${CMAKE_COMMAND} -DINPUT=${image} -DOUTPUT=${out} -DNUMBER=${number}
                    -P "${PROJECT_SOURCE_DIR}/cmake/EmbedOneFile.cmake"
            DEPENDS "${image}" "${PROJECT_SOURCE_DIR}/cmake/EmbedOneFile.cmake"
            COMMENT "Embedding ${name}"
            VERBATIM)
        list(APPEND generated "${out}")
    endforeach()
    add_library(${target} STATIC ${generated})
    k71_layer_headers(${target} resources "${PROJECT_SOURCE_DIR}/resources/BinaryData.h")
endfunction()
