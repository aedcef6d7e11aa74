# Compiles the JUCE modules the system uses once, into one static library that
# every target of ours links. The settings below hold for all of them.
add_library(k71_juce STATIC)
target_link_libraries(k71_juce
    PRIVATE
        juce::juce_core
        juce::juce_data_structures
        juce::juce_events
        juce::juce_graphics
        juce::juce_gui_basics
        juce::juce_gui_extra
    PUBLIC
        juce::juce_recommended_config_flags
        juce::juce_recommended_lto_flags)
target_compile_definitions(k71_juce
    PUBLIC
        JUCE_WEB_BROWSER=0
        JUCE_USE_CURL=0
        JUCE_DISPLAY_SPLASH_SCREEN=0
        JUCE_MODAL_LOOPS_PERMITTED=1
        JUCE_STANDALONE_APPLICATION=1
        JUCE_GLOBAL_MODULE_SETTINGS_INCLUDED=1
        JUCE_USE_XRANDR=1
        JUCE_USE_XINERAMA=1)
# Consumers see the same include paths and definitions as the modules were built with.
target_include_directories(k71_juce SYSTEM INTERFACE
    $<TARGET_PROPERTY:k71_juce,INCLUDE_DIRECTORIES>)
target_compile_definitions(k71_juce INTERFACE
    $<TARGET_PROPERTY:k71_juce,COMPILE_DEFINITIONS>)
find_package(PkgConfig REQUIRED)
pkg_check_modules(K71_SYSTEM_LIBS REQUIRED IMPORTED_TARGET freetype2 libpng libjpeg zlib)
target_link_libraries(k71_juce PUBLIC PkgConfig::K71_SYSTEM_LIBS dl pthread)
