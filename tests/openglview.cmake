# The OpenGL view against the raster view: a real X display (Xvfb) with
# Mesa's software OpenGL, which `make test` installs (xvfb, libgl1-mesa-dri).
add_executable(tst_openglview ${CMAKE_CURRENT_LIST_DIR}/xvfb/tst_openglview.cpp)
target_include_directories(tst_openglview PRIVATE ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(tst_openglview PRIVATE velocrag_testsupport Qt6::OpenGLWidgets)
add_test(NAME tst_openglview
  COMMAND xvfb-run -a -s "-screen 0 1280x800x24" $<TARGET_FILE:tst_openglview>)
set_tests_properties(tst_openglview PROPERTIES
  ENVIRONMENT "VELOCRAG_SOURCE_DIR=${PROJECT_SOURCE_DIR};VELOCRAG_BINARY_DIR=${PROJECT_BINARY_DIR};LIBGL_ALWAYS_SOFTWARE=1"
  TIMEOUT 300)
