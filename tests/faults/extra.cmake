# A real HTTP server inside the tests.
target_link_libraries(test_${name} PRIVATE gh_test_httplib)
# The process tests run the built program and install the build.
add_dependencies(test_${name} gravelhorn2)
target_compile_definitions(test_${name} PRIVATE GH_BUILD_DIR="${CMAKE_BINARY_DIR}")
