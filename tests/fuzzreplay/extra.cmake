# The fuzz targets' checks, replayed on their corpora.
target_sources(test_${name} PRIVATE ${CMAKE_SOURCE_DIR}/fuzz/ImageHeaderEntry.cpp
  ${CMAKE_SOURCE_DIR}/fuzz/HelpTextEntry.cpp ${CMAKE_SOURCE_DIR}/fuzz/EditTypingEntry.cpp
  ${CMAKE_SOURCE_DIR}/fuzz/RecordingEntry.cpp)
target_include_directories(test_${name} PRIVATE ${CMAKE_SOURCE_DIR}/fuzz)
