# SPDX-License-Identifier: GPL-3.0-or-later
# The replay kill test runs a child that rewrites one replay until killed.
add_executable(velocrag_replaywriter replaywriter/replaywriter.cpp)
target_link_libraries(velocrag_replaywriter PRIVATE velocrag_sim)
if(TARGET tst_replaykill)
  target_compile_definitions(tst_replaykill PRIVATE REPLAYWRITER_PATH="$<TARGET_FILE:velocrag_replaywriter>")
  add_dependencies(tst_replaykill velocrag_replaywriter)
endif()

# The watch test starts the game itself with --replay.
if(TARGET tst_replaywatch)
  target_compile_definitions(tst_replaywatch PRIVATE VELOCRAG_PATH="$<TARGET_FILE:velocrag>")
  add_dependencies(tst_replaywatch velocrag)
endif()
