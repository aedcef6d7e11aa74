# Some panel tests ask the X server itself whether a window is mapped.
find_package(X11 REQUIRED)
target_link_libraries(${target} PRIVATE X11::X11)
