# kx_fw_graphics: colours, fonts, brushes, pens, the canvas, bitmaps and pictures.
add_library(kx_fw_graphics STATIC
  ${CMAKE_CURRENT_LIST_DIR}/Bitmap.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Canvas.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Graphics.cpp
)
target_include_directories(kx_fw_graphics PUBLIC ${KX_SRC})
target_link_libraries(kx_fw_graphics PUBLIC kx_gdi kx_fw_core)
