# Read by CTest after the GoogleTest tests are discovered: a test named Suite.SomethingSlow
# gets the label slow beside the label of its executable.
foreach(test IN LISTS tavix_core_tests_TESTS)
    if(test MATCHES "^[A-Za-z0-9_]+\\.[A-Za-z0-9_]*Slow$")
        set_tests_properties("${test}" PROPERTIES LABELS "core;slow")
    endif()
endforeach()
foreach(test IN LISTS tavix_result_model_tests_TESTS)
    if(test MATCHES "^[A-Za-z0-9_]+\\.[A-Za-z0-9_]*Slow$")
        set_tests_properties("${test}" PROPERTIES LABELS "model;slow")
    endif()
endforeach()
