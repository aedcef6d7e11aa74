# Each layer compiles against the include roots of the layers it may use and no others.
# A probe compiles one include in the context of one target: the allowed ones must build,
# the forbidden ones must fail to, so a wrong include in the code fails the same way.
set(K71_PROBE_DIR "${CMAKE_CURRENT_BINARY_DIR}/layering")

function(k71_layering_probe name target header expectation)
    set(source "${K71_PROBE_DIR}/${name}.cpp")
    file(WRITE "${source}.in" "#include \"${header}\"\n")
    configure_file("${source}.in" "${source}" COPYONLY)
    set(probe k71_probe_${name})
    add_library(${probe} OBJECT EXCLUDE_FROM_ALL "${source}")
    target_link_libraries(${probe} PRIVATE ${target})
    add_test(NAME layering.${name}
             COMMAND ${CMAKE_COMMAND} --build ${CMAKE_BINARY_DIR} --target ${probe})
    set_tests_properties(layering.${name} PROPERTIES LABELS layering RESOURCE_LOCK build_folder)
    if(expectation STREQUAL "forbidden")
        set_tests_properties(layering.${name} PROPERTIES WILL_FAIL TRUE)
    endif()
endfunction()

k71_layering_probe(device_sees_the_platform k71_device "platform/AudioHardware.h" allowed)
k71_layering_probe(device_cannot_see_the_simulation k71_device
                   "platform/simulated/Simulation.h" forbidden)
k71_layering_probe(device_cannot_see_the_panel k71_device "panel/MainComponent.h" forbidden)
k71_layering_probe(widgets_see_the_artwork k71_widgets "resources/BinaryData.h" allowed)
k71_layering_probe(widgets_cannot_see_the_device_link k71_widgets
                   "device/RegisterDeviceCallBacksMac.h" forbidden)
k71_layering_probe(widgets_cannot_see_the_platform k71_widgets "platform/AudioHardware.h"
                   forbidden)
k71_layering_probe(panel_sees_the_device_link k71_panel "device/RegisterDeviceCallBacksMac.h"
                   allowed)
k71_layering_probe(panel_sees_the_backend_seam k71_panel "platform/Backend.h" allowed)
k71_layering_probe(panel_cannot_see_the_simulation k71_panel "platform/simulated/Simulation.h"
                   forbidden)
k71_layering_probe(ipc_cannot_see_the_platform k71_ipc "platform/AudioHardware.h" forbidden)
k71_layering_probe(the_null_backend_cannot_see_the_simulation k71_backend_null
                   "platform/simulated/SimModel.h" forbidden)
k71_layering_probe(the_platform_cannot_see_the_device_link k71_platform
                   "device/RegisterDeviceCallBacksMac.h" forbidden)

# Quoted includes are looked for next to the including file first, where the roots above
# have no say: every include in the layers' folders must go through the roots.
add_test(NAME layering.includes_go_through_the_include_roots
         COMMAND ${CMAKE_COMMAND} -DK71_SOURCE_DIR=${PROJECT_SOURCE_DIR}
                 -DK71_LAYER_FOLDERS=platform,ipc,device,widgets,panel,resources
                 -P ${CMAKE_CURRENT_LIST_DIR}/IncludePaths.cmake)
set_tests_properties(layering.includes_go_through_the_include_roots PROPERTIES LABELS layering)
