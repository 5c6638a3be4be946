# The screenshots are written as PNG files.
pkg_check_modules(GH_VEHICLES_TEST_LIBS REQUIRED IMPORTED_TARGET SDL2_image)
target_link_libraries(test_${name} PRIVATE PkgConfig::GH_VEHICLES_TEST_LIBS)
set(GH_DISPLAY_TESTS "ScreenshotTest.*")  # in a window on the shared display
