# The end-to-end tests drive the real program and the k71vt-sim tool.
find_package(X11 REQUIRED)
add_dependencies(${target} K71VT k71vt-sim)
target_link_libraries(${target} PRIVATE X11::X11)
target_compile_definitions(${target} PRIVATE
    K71_PROGRAM_PATH="$<TARGET_FILE:K71VT>"
    K71_SIM_TOOL_PATH="$<TARGET_FILE:k71vt-sim>")
