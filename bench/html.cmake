# bench_html: parse and layout of the wizard's captions, wrapping of long plain text, and
# drawing a step caption. Run with FONTCONFIG_FILE=tests/support/fonts.conf for figures
# comparable with the tests.
if(TARGET kx_htmltext)
  add_executable(bench_html ${CMAKE_CURRENT_LIST_DIR}/bench_html.cpp)
  target_link_libraries(bench_html PRIVATE kx_htmltext benchmark::benchmark)
endif()
