# SPDX-License-Identifier: GPL-3.0-or-later
# The window's picture as the X server shows it (OpenGL against raster, the
# HUD while scrolling): a real X display (Xvfb) with Mesa's software OpenGL,
# which `make test` installs (xvfb, libgl1-mesa-dri).
add_executable(tst_viewonscreen ${CMAKE_CURRENT_LIST_DIR}/xvfb/tst_viewonscreen.cpp)
target_include_directories(tst_viewonscreen PRIVATE ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(tst_viewonscreen PRIVATE velocrag_testsupport Qt6::OpenGLWidgets)
add_test(NAME tst_viewonscreen
  COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/e2e/withxvfb.sh --screen 1280x800x24
    $<TARGET_FILE:tst_viewonscreen>)
set_tests_properties(tst_viewonscreen PROPERTIES
  ENVIRONMENT "VELOCRAG_SOURCE_DIR=${PROJECT_SOURCE_DIR};VELOCRAG_BINARY_DIR=${PROJECT_BINARY_DIR};LIBGL_ALWAYS_SOFTWARE=1"
  TIMEOUT 300)
