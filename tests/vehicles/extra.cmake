# The screenshots are written as PNG files.
pkg_check_modules(GH_VEHICLES_TEST_LIBS REQUIRED IMPORTED_TARGET SDL2_image)
target_link_libraries(test_${name} PRIVATE PkgConfig::GH_VEHICLES_TEST_LIBS)
