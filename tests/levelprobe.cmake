# velocrag_levelprobe: the child process of the tests for fatal paths and
# hard kills. Tests that run it get its path as LEVELPROBE_PATH.
add_executable(velocrag_levelprobe levelprobe/levelprobe.cpp)
target_link_libraries(velocrag_levelprobe PRIVATE velocrag_core velocrag_resources)

foreach(test_name tst_physicsobjects)
  if(TARGET ${test_name})
    target_compile_definitions(${test_name} PRIVATE LEVELPROBE_PATH="$<TARGET_FILE:velocrag_levelprobe>")
    add_dependencies(${test_name} velocrag_levelprobe)
  endif()
endforeach()
