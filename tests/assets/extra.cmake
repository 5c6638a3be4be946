# Decodes the pictures and tunes that assetgen writes, and runs assetgen again
# to check that its output does not change between runs.
pkg_check_modules(GH_ASSET_TEST_LIBS REQUIRED IMPORTED_TARGET cairo libjpeg vorbisfile)
target_link_libraries(test_${name} PRIVATE PkgConfig::GH_ASSET_TEST_LIBS)
add_dependencies(test_${name} assetgen)
target_compile_definitions(test_${name} PRIVATE GH_ASSETGEN="$<TARGET_FILE:assetgen>")
