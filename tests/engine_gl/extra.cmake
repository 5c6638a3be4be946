# Shares the engine tests' file writers and library binding; reads pixels back.
pkg_check_modules(GH_ENGINE_GL_TEST_LIBS REQUIRED IMPORTED_TARGET SDL2_image vorbisenc vorbis ogg x11)
target_sources(test_${name} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/engine/TestFiles.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/engine/EngineUnderTest.cpp)
target_include_directories(test_${name} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/engine)
target_link_libraries(test_${name} PRIVATE PkgConfig::GH_ENGINE_GL_TEST_LIBS)
# Every window test uses the one display of the test command: two at once put
# their windows over each other and take the pointer and the focus from each
# other.
set(GH_TEST_PROPERTIES RESOURCE_LOCK shared_display)
