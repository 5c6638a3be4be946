# Shares the engine tests' file writers and library binding; reads pixels back.
pkg_check_modules(GH_ENGINE_GL_TEST_LIBS REQUIRED IMPORTED_TARGET SDL2_image vorbisenc vorbis ogg x11)
target_sources(test_${name} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/engine/TestFiles.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/engine/EngineUnderTest.cpp)
target_include_directories(test_${name} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/engine)
target_link_libraries(test_${name} PRIVATE PkgConfig::GH_ENGINE_GL_TEST_LIBS)
# Every test here opens a window on the test command's one display.
set(GH_DISPLAY_TESTS "*")
