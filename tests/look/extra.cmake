# The screenshots are written as PNG files.
pkg_check_modules(GH_LOOK_TEST_LIBS REQUIRED IMPORTED_TARGET SDL2_image)
target_link_libraries(test_${name} PRIVATE PkgConfig::GH_LOOK_TEST_LIBS)
set(GH_DISPLAY_TESTS "*")  # the contact sheet is taken in a window
