# The end-to-end test runs the built program.
add_dependencies(test_${name} gravelhorn2)
