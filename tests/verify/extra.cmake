# The verifier: its library in the test, and the program the tests start.
target_link_libraries(test_${name} PRIVATE gh_verify)
add_dependencies(test_${name} gravelhorn2-verify)
