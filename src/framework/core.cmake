# kx_fw_core: components, properties, layout descriptions, threads, timers, ini files.
add_library(kx_fw_core STATIC
  ${CMAKE_CURRENT_LIST_DIR}/Classes.cpp
  ${CMAKE_CURRENT_LIST_DIR}/IniFiles.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Streaming.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Thread.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Timer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TypInfo.cpp
)
target_include_directories(kx_fw_core PUBLIC ${KX_SRC})
target_link_libraries(kx_fw_core PUBLIC kx_user kx_kernel Threads::Threads)

# The fuzz targets need the readers' own code instrumented for coverage.
if(KX_FUZZ)
  target_compile_options(kx_fw_core PRIVATE -fsanitize=fuzzer-no-link,address,undefined)
endif()
