# The engine tests write their own pictures, sounds and fonts.
if(WIN32)
  find_package(Vorbis REQUIRED CONFIG)
  target_link_libraries(test_${name} PRIVATE gh_win_sdl2_image Vorbis::vorbisenc SDL2::SDL2)
else()
  pkg_check_modules(GH_ENGINE_TEST_LIBS REQUIRED IMPORTED_TARGET SDL2_image vorbisenc vorbis ogg)
  target_link_libraries(test_${name} PRIVATE PkgConfig::GH_ENGINE_TEST_LIBS)
endif()
