# A real HTTP server inside the tests.
pkg_check_modules(GH_HTTPLIB REQUIRED IMPORTED_TARGET cpp-httplib)
find_package(Threads REQUIRED)
target_link_libraries(test_${name} PRIVATE PkgConfig::GH_HTTPLIB Threads::Threads)
