# bench_http: the getter's downloads (file mode with and without a progress callback) and
# the user-interface thread's CPU while it waits on a stalled server. bench/http_bench.sh
# starts nginx, times curl in the same run and prints the comparison.
if(TARGET kx_httpget AND TARGET kx_test_fixture)
  add_executable(bench_http ${CMAKE_CURRENT_LIST_DIR}/bench_http.cpp)
  target_link_libraries(bench_http PRIVATE kx_httpget kx_test_fixture benchmark::benchmark)
  target_include_directories(bench_http PRIVATE ${CMAKE_SOURCE_DIR}/tests)
endif()
