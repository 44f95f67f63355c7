# End-to-end: the real executable under Xvfb, driven with xdotool like a
# player (tests/e2e/play.sh). Needs xvfb-run, xdotool, ImageMagick and
# sqlite3, which `make test` installs.
add_test(NAME e2e_play
  COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/e2e/play.sh $<TARGET_FILE:velocrag> ${CMAKE_CURRENT_BINARY_DIR}/e2e-shots)
set_tests_properties(e2e_play PROPERTIES TIMEOUT 240 LABELS e2e RUN_SERIAL TRUE)
