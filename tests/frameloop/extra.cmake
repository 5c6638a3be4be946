add_library(gh_partial_engine SHARED ${CMAKE_CURRENT_LIST_DIR}/partial_engine.c)
set_target_properties(gh_partial_engine PROPERTIES LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/test-libs)
add_dependencies(test_${name} gh_partial_engine)
target_compile_definitions(test_${name} PRIVATE
  GH_PARTIAL_ENGINE="$<TARGET_FILE:gh_partial_engine>")
