# SPDX-License-Identifier: GPL-3.0-or-later
# End-to-end: the real executable under Xvfb, driven with xdotool like a
# player (tests/e2e/play.sh). Needs Xvfb, xdotool, ImageMagick and
# sqlite3, which `make test` installs. In the sanitized build the script
# first checks that the leak checker can run at all (with the leak plant of
# leakplant.cmake); where it cannot, the case is skipped with the reason.
add_test(NAME e2e_play
  COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/e2e/play.sh $<TARGET_FILE:velocrag> ${CMAKE_CURRENT_BINARY_DIR}/e2e-shots)
set_tests_properties(e2e_play PROPERTIES TIMEOUT 240 LABELS e2e RUN_SERIAL TRUE SKIP_RETURN_CODE 77)
if(VELOCRAG_SANITIZE)
  set_property(TEST e2e_play APPEND PROPERTY ENVIRONMENT "E2E_LEAK_PROBE=$<TARGET_FILE:velocrag_leakplant>")
endif()

# A fatal start shows its reason in a window (tests/e2e/fatalwindow.sh).
add_test(NAME e2e_fatal_window
  COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/e2e/fatalwindow.sh $<TARGET_FILE:velocrag>)
set_tests_properties(e2e_fatal_window PROPERTIES TIMEOUT 120 LABELS e2e
  ENVIRONMENT "FATALWINDOW_SHOT=${CMAKE_CURRENT_BINARY_DIR}/e2e-shots/fatal-window.png")

# Quitting while the audio server accepts the connection and never answers
# (tests/e2e/quitsilentaudio.sh): the game ends soon after a close request,
# with status 0, its results saved. Two helpers: the silent server, and a
# close request as a window manager sends it.
find_package(X11 REQUIRED)
add_executable(velocrag_silentaudioserver e2e/tools/silentaudioserver.cpp support/silentserver.cpp)
target_include_directories(velocrag_silentaudioserver PRIVATE ${CMAKE_CURRENT_LIST_DIR}/support)
target_link_libraries(velocrag_silentaudioserver PRIVATE Qt6::Core)
add_executable(velocrag_closerequest e2e/tools/closerequest.cpp)
target_link_libraries(velocrag_closerequest PRIVATE X11::X11)
add_test(NAME e2e_quit_silent_audio
  COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/e2e/quitsilentaudio.sh $<TARGET_FILE:velocrag>
          $<TARGET_FILE:velocrag_silentaudioserver> $<TARGET_FILE:velocrag_closerequest>)
set_tests_properties(e2e_quit_silent_audio PROPERTIES TIMEOUT 180 LABELS e2e RUN_SERIAL TRUE)
# The sanitized game tears down several times slower; a quit that waits for
# the server still takes half a minute there.
if(VELOCRAG_SANITIZE)
  set_tests_properties(e2e_quit_silent_audio PROPERTIES ENVIRONMENT "QUIT_BOUND_MS=3000")
endif()
