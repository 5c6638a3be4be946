# The score server's library, a real HTTP client, the throw-away PostgreSQL
# helper, the game's own client for the end-to-end test, and the fuzz target's
# check for the corpus replay.
pkg_check_modules(GH_HTTPLIB REQUIRED IMPORTED_TARGET cpp-httplib)
target_link_libraries(test_${name} PRIVATE gh_scores_server PkgConfig::GH_HTTPLIB)
target_sources(test_${name} PRIVATE ${CMAKE_SOURCE_DIR}/fuzz/SubmissionEntry.cpp
  ${CMAKE_SOURCE_DIR}/fuzz/ClientAddressEntry.cpp ${CMAKE_SOURCE_DIR}/fuzz/UploadEntry.cpp)
target_include_directories(test_${name} PRIVATE ${CMAKE_SOURCE_DIR}/fuzz)
add_dependencies(test_${name} gravelhorn2-scores)
target_compile_definitions(test_${name} PRIVATE
  GH_SCORE_SERVER="${GH_SCORE_SERVER}" GH_SCORE_KEY="${GH_SCORE_KEY}")
# The players' own https clients in the test behind a proxy.
pkg_check_modules(GH_TEST_CURL REQUIRED IMPORTED_TARGET libcurl)
target_link_libraries(test_${name} PRIVATE PkgConfig::GH_TEST_CURL)
