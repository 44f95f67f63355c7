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
