# The wizard window and the program. Included by this folder's CMakeLists.txt.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
             ${CMAKE_CURRENT_SOURCE_DIR}/Form1.layout)
file(READ ${CMAKE_CURRENT_SOURCE_DIR}/Form1.layout KX_FORM1_LAYOUT)
configure_file(${CMAKE_CURRENT_SOURCE_DIR}/Form1Layout.cpp.in
               ${CMAKE_CURRENT_BINARY_DIR}/Form1Layout.cpp @ONLY)

add_library(kx_wizard_form STATIC Form1.cpp ${CMAKE_CURRENT_BINARY_DIR}/Form1Layout.cpp)
target_link_libraries(kx_wizard_form PUBLIC kx_wizard kx_controls kx_marquee kx_httpget
                      kx_htmltext kx_fw_controls kx_fw_graphics kx_fw_core kx_user kx_gdi
                      kx_inet kx_kernel)

add_executable(kestrix main.cpp)
target_link_libraries(kestrix PRIVATE kx_wizard_form)
install(TARGETS kestrix RUNTIME DESTINATION bin)
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/kestrix.desktop DESTINATION share/applications)
