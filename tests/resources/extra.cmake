# The artwork tests compare the embedded arrays with the image files themselves, and
# the image files with what the generator draws.
add_dependencies(${target} k71_artgen)
target_compile_definitions(${target} PRIVATE
    K71_IMAGES_DIR="${PROJECT_SOURCE_DIR}/resources/images"
    K71_ARTGEN_PATH="$<TARGET_FILE:k71_artgen>")
