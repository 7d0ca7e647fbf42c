# Start-up probe for bench/startup_bench.sh.
if(TARGET kx_wizard_form)
  add_executable(startup_probe ${CMAKE_CURRENT_LIST_DIR}/startup_probe.cpp)
  target_link_libraries(startup_probe PRIVATE kx_wizard_form)
endif()
