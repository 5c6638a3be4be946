# The send-with-retry test runs a real score server inside the test; the
# screenshots are written as PNG files; the end-to-end test runs the built program.
find_package(Threads REQUIRED)
pkg_check_modules(GH_GAME_TEST_LIBS REQUIRED IMPORTED_TARGET cpp-httplib SDL2_image)
target_link_libraries(test_${name} PRIVATE PkgConfig::GH_GAME_TEST_LIBS Threads::Threads)
add_dependencies(test_${name} gravelhorn2)
set(GH_DISPLAY_TESTS "GameScreenshots.*:GameMix.*")  # in a window on the shared display
