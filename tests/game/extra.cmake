# The send-with-retry test runs a real score server inside the test; the
# end-to-end test runs the built program.
target_link_libraries(test_${name} PRIVATE gh_test_httplib)
add_dependencies(test_${name} gravelhorn2)
if(NOT WIN32)
  # The score loop's end-to-end test runs the score server and its verifier.
  add_dependencies(test_${name} gravelhorn2-scores gravelhorn2-verify)
  # The screenshots are written as PNG files, in a window on the shared display.
  pkg_check_modules(GH_GAME_TEST_LIBS REQUIRED IMPORTED_TARGET SDL2_image)
  target_link_libraries(test_${name} PRIVATE PkgConfig::GH_GAME_TEST_LIBS)
  set(GH_DISPLAY_TESTS "GameScreenshots.*:GameMix.*")
endif()
