# bench_gdi: text measuring, a window-sized fill and a window-sized block copy.
add_executable(bench_gdi ${CMAKE_CURRENT_LIST_DIR}/bench_gdi.cpp)
target_link_libraries(bench_gdi PRIVATE kx_gdi benchmark::benchmark)
target_compile_definitions(bench_gdi PRIVATE KX_TEST_FONTCONFIG="${CMAKE_SOURCE_DIR}/tests/support/fonts.conf")
