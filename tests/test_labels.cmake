# Read by CTest after the GoogleTest tests are discovered: each test keeps the label of its
# executable (core or model) and may get two more, by its name:
#  - slow: a test named Suite.SomethingSlow takes from seconds to minutes; the sanitizer
#    steps leave it out.
#  - single: the suites that compare with the literal loops (…AgainstLiteral…) and the
#    reference number operations (NumberReference) run on one thread only, and are the
#    longest: nothing for ThreadSanitizer to see, so its step leaves them out.
macro(tavix_label_tests label)
    foreach(test IN ITEMS ${ARGN})
        set(labels ${label})
        if(test MATCHES "^[A-Za-z0-9_]+\\.[A-Za-z0-9_]*Slow$")
            list(APPEND labels slow)
        endif()
        if(test MATCHES "^([A-Za-z0-9_]*AgainstLiteral[A-Za-z0-9_]*|NumberReference)\\.")
            list(APPEND labels single)
        endif()
        if(NOT labels STREQUAL label)
            set_tests_properties("${test}" PROPERTIES LABELS "${labels}")
        endif()
    endforeach()
endmacro()

tavix_label_tests(core ${tavix_core_tests_TESTS})
tavix_label_tests(model ${tavix_result_model_tests_TESTS})
