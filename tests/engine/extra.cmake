# The engine tests write their own pictures, sounds and fonts.
pkg_check_modules(GH_ENGINE_TEST_LIBS REQUIRED IMPORTED_TARGET SDL2_image vorbisenc vorbis ogg)
target_link_libraries(test_${name} PRIVATE PkgConfig::GH_ENGINE_TEST_LIBS)
