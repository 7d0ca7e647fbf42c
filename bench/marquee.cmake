# bench_marquee: one paint of the wizard's marquee (445 x 417, fill and 6 dots, double
# buffered), and the CPU share of the overlay animating at the 10 ms tick and of a hidden
# marquee ticking, on the headless display.
if(TARGET kx_marquee)
  add_executable(bench_marquee ${CMAKE_CURRENT_LIST_DIR}/bench_marquee.cpp)
  target_link_libraries(bench_marquee PRIVATE kx_marquee benchmark::benchmark)
endif()
