# kx_fw_controls: controls, forms, application, labels, buttons, panels, menus.
add_library(kx_fw_controls STATIC
  ${CMAKE_CURRENT_LIST_DIR}/Controls.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ExtCtrls.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Forms.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Menus.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Register.cpp
  ${CMAKE_CURRENT_LIST_DIR}/StdCtrls.cpp
)
target_include_directories(kx_fw_controls PUBLIC ${KX_SRC})
target_link_libraries(kx_fw_controls PUBLIC kx_fw_graphics kx_fw_core kx_user kx_gdi kx_kernel)
