# A real HTTP server inside the tests, and the fuzz target's checks for the
# corpus replay.
target_link_libraries(test_${name} PRIVATE gh_test_httplib)
target_sources(test_${name} PRIVATE ${CMAKE_SOURCE_DIR}/fuzz/VersionReplyEntry.cpp)
target_include_directories(test_${name} PRIVATE ${CMAKE_SOURCE_DIR}/fuzz ${CMAKE_SOURCE_DIR}/tests/settings)
target_compile_definitions(test_${name} PRIVATE
  GH_SCORE_SERVER="${GH_SCORE_SERVER}" GH_SCORE_KEY="${GH_SCORE_KEY}")
