# bench_controls: painting the wizard's field and a step label, and a typed character from
# key event to presented repaint, on the headless display with the test fonts.
if(TARGET kx_controls)
  add_executable(bench_controls ${CMAKE_CURRENT_LIST_DIR}/bench_controls.cpp)
  target_link_libraries(bench_controls PRIVATE kx_controls benchmark::benchmark)
  target_compile_definitions(bench_controls PRIVATE
    KX_TEST_FONTCONFIG="${CMAKE_SOURCE_DIR}/tests/support/fonts.conf")
endif()
