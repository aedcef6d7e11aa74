# The artwork tests compare the embedded arrays with the image files themselves.
target_compile_definitions(${target} PRIVATE
    K71_IMAGES_DIR="${PROJECT_SOURCE_DIR}/resources/images")
