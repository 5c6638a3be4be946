# The corpus replay runs the fuzz targets' own checks.
target_sources(test_${name} PRIVATE ${CMAKE_SOURCE_DIR}/fuzz/ConfigEntry.cpp)
target_include_directories(test_${name} PRIVATE ${CMAKE_SOURCE_DIR}/fuzz)
