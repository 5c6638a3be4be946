# A real HTTP server inside the tests.
pkg_check_modules(GH_HTTPLIB REQUIRED IMPORTED_TARGET cpp-httplib)
find_package(Threads REQUIRED)
target_link_libraries(test_${name} PRIVATE PkgConfig::GH_HTTPLIB Threads::Threads)
# The process tests run the built program and install the build.
add_dependencies(test_${name} gravelhorn2)
target_compile_definitions(test_${name} PRIVATE GH_BUILD_DIR="${CMAKE_BINARY_DIR}")
