# Read by ctest once the tests are discovered. The quit probes (tests with "Quit" in
# their name) also carry the label "quit": CI runs them under every sanitizer.
foreach(test IN LISTS k71_e2e_tests_TESTS)
    if(test MATCHES "Quit")
        set_tests_properties("${test}" PROPERTIES LABELS "e2e;quit")
    endif()
endforeach()
