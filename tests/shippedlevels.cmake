# SPDX-License-Identifier: GPL-3.0-or-later
# The shipped-levels test rides the solutions with the ride tool against the
# compiled levels.db; the sanitized build replays only a sample.
if(TARGET tst_shippedlevels)
  add_dependencies(tst_shippedlevels ride level_databases)
  if(VELOCRAG_SANITIZE)
    target_compile_definitions(tst_shippedlevels PRIVATE VELOCRAG_SANITIZED_BUILD)
  endif()
  set_tests_properties(tst_shippedlevels PROPERTIES TIMEOUT 600)
endif()
