# The replay recorder and random input live beside the shared harness.
target_sources(test_${name} PRIVATE
  ${CMAKE_SOURCE_DIR}/tests/harness/replay/ReplayFile.cpp
  ${CMAKE_SOURCE_DIR}/tests/harness/replay/ReplayPlayer.cpp
  ${CMAKE_SOURCE_DIR}/tests/harness/replay/RandomInput.cpp)
