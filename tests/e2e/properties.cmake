# Read by ctest once the tests are discovered. The program runs once per machine, so
# ctest runs these tests one at a time (a test waiting for its turn uses no time of its
# own). The quit probes (suites whose name begins with "Quit") also carry the label
# "quit": CI runs them under every sanitizer.
foreach(test IN LISTS k71_e2e_tests_TESTS)
    set_tests_properties("${test}" PROPERTIES RESOURCE_LOCK k71vt-program)
    if(test MATCHES "^([^/.]*/)?Quit[^.]*\\.")
        set_tests_properties("${test}" PROPERTIES LABELS "e2e;quit")
    endif()
endforeach()
