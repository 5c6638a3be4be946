# The synthesiser itself is compiled in, so the tests can run it on their own
# folder; libvorbisfile decodes the tunes back.
file(GLOB GH_SOUND_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/assets/sound/*.cpp)
target_sources(test_${name} PRIVATE ${GH_SOUND_SOURCES})
target_include_directories(test_${name} PRIVATE ${CMAKE_SOURCE_DIR}/assets/sound)
pkg_check_modules(GH_SOUND_TEST_LIBS REQUIRED IMPORTED_TARGET vorbisenc vorbis vorbisfile ogg)
target_link_libraries(test_${name} PRIVATE PkgConfig::GH_SOUND_TEST_LIBS)
