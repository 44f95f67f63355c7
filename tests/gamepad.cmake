# SPDX-License-Identifier: GPL-3.0-or-later
# SDL's in-memory game controller for the gamepad tests; only these tests
# see SDL's headers.
add_library(velocrag_virtualpad STATIC
  ${CMAKE_CURRENT_LIST_DIR}/support/virtualpad.cpp
  ${CMAKE_CURRENT_LIST_DIR}/support/virtualpad.h)
target_include_directories(velocrag_virtualpad PUBLIC ${CMAKE_CURRENT_LIST_DIR}/support)
target_link_libraries(velocrag_virtualpad PUBLIC PkgConfig::SDL2)
target_link_libraries(tst_gamepadinput PRIVATE velocrag_virtualpad)
target_link_libraries(tst_mygame PRIVATE velocrag_virtualpad)
target_link_libraries(tst_gamesettings PRIVATE velocrag_virtualpad)
