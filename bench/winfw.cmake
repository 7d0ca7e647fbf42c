# bench_winfw: a full repaint of the wizard-sized form with ten controls, presented.
if(TARGET kx_fw_controls)
  add_executable(bench_winfw ${CMAKE_CURRENT_LIST_DIR}/bench_winfw.cpp)
  target_link_libraries(bench_winfw PRIVATE kx_fw_controls kx_fw_graphics kx_fw_core kx_user
                        kx_gdi kx_kernel benchmark::benchmark)
endif()
