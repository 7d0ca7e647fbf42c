# bench_winplat: the message queue round trip, a full repaint of a wizard-sized window with
# ten child windows composed for presenting, and mouse moves hit-tested through them.
# winplat_idle: an idle window program for idle_cpu.sh (CPU use while waiting in GetMessageW).
add_executable(bench_winplat ${CMAKE_CURRENT_LIST_DIR}/bench_winplat.cpp)
target_link_libraries(bench_winplat PRIVATE kx_user benchmark::benchmark)
add_executable(winplat_idle ${CMAKE_CURRENT_LIST_DIR}/winplat_idle.cpp)
target_link_libraries(winplat_idle PRIVATE kx_user)
