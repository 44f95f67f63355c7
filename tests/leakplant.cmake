# SPDX-License-Identifier: GPL-3.0-or-later
# In the sanitized build: a program that leaks on purpose, and a test that
# passes only when the leak checker reports it with a complete stack (see
# leakplant/leakplant.cpp). A suppression that hides leaks of our own code
# fails here.
if(VELOCRAG_SANITIZE)
  add_executable(velocrag_leakplant leakplant/leakplant.cpp)
  target_link_libraries(velocrag_leakplant PRIVATE Qt6::Core)
  add_test(NAME leakcheck_sees_leaks
    COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:velocrag_leakplant>
            -P ${CMAKE_CURRENT_LIST_DIR}/leakplant/expectleak.cmake)
  set_tests_properties(leakcheck_sees_leaks PROPERTIES TIMEOUT 60)
endif()
