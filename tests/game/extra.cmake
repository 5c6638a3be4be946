# The send-with-retry test runs a real score server inside the test.
find_package(Threads REQUIRED)
pkg_check_modules(GH_GAME_HTTPLIB REQUIRED IMPORTED_TARGET cpp-httplib)
target_link_libraries(test_${name} PRIVATE PkgConfig::GH_GAME_HTTPLIB Threads::Threads)
