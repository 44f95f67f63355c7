# SPDX-License-Identifier: GPL-3.0-or-later
# velocrag_levelprobe: the child process of the tests for fatal paths, damaged
# level databases and hard kills. Tests that run it get its path as
# LEVELPROBE_PATH; tests that read the compiled level databases wait for them.
add_executable(velocrag_levelprobe levelprobe/levelprobe.cpp)
target_link_libraries(velocrag_levelprobe PRIVATE velocrag_sim velocrag_resources)

foreach(test_name tst_physicsobjects tst_levelcorpus)
  if(TARGET ${test_name})
    target_compile_definitions(${test_name} PRIVATE LEVELPROBE_PATH="$<TARGET_FILE:velocrag_levelprobe>")
    add_dependencies(${test_name} velocrag_levelprobe)
  endif()
endforeach()
foreach(test_name tst_levelmanager tst_levelcorpus tst_levelc tst_leveldatabases tst_levelbuilder tst_packtable tst_resultsstore tst_settingsstore)
  if(TARGET ${test_name})
    add_dependencies(${test_name} level_databases)
  endif()
endforeach()
if(TARGET tst_levelc)
  target_compile_definitions(tst_levelc PRIVATE LEVELC_PATH="$<TARGET_FILE:levelc>")
endif()
