# SPDX-License-Identifier: GPL-3.0-or-later
# The layering of the game's folders: no folder includes a header of a
# folder on its own or a higher layer (tests/layering/checklayers.cmake).
# The second test runs the check on a small tree with one upward include
# planted in it and must see it.
add_test(NAME layering_includes
  COMMAND ${CMAKE_COMMAND} -DROOT=${PROJECT_SOURCE_DIR} -P ${CMAKE_CURRENT_SOURCE_DIR}/layering/checklayers.cmake)
add_test(NAME layering_sees_upward_include
  COMMAND ${CMAKE_COMMAND} -DROOT=${CMAKE_CURRENT_SOURCE_DIR}/layering/planted
  -P ${CMAKE_CURRENT_SOURCE_DIR}/layering/checklayers.cmake)
set_tests_properties(layering_sees_upward_include PROPERTIES
  PASS_REGULAR_EXPRESSION "physics/upward.h: physics/ \\(rank 3\\) must not include vehicle/")
# The third runs it on a tree with a folder of sources that has no rank.
add_test(NAME layering_sees_unknown_folder
  COMMAND ${CMAKE_COMMAND} -DROOT=${CMAKE_CURRENT_SOURCE_DIR}/layering/stray
  -P ${CMAKE_CURRENT_SOURCE_DIR}/layering/checklayers.cmake)
set_tests_properties(layering_sees_unknown_folder PROPERTIES
  PASS_REGULAR_EXPRESSION "widgets/: holds C\\+\\+ sources but is not a known layer")
