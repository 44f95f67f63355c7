# SPDX-License-Identifier: GPL-3.0-or-later
# Licence marks: every source file of the tree names its licence in an SPDX
# line (tests/licence/spdx.sh; what is exempt, and why, is listed there and in
# COPYING). The second test runs the check on a scratch tree with a file at
# fault planted in it and must see it.
add_test(NAME licence_spdx
  COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/licence/spdx.sh ${PROJECT_SOURCE_DIR})
add_test(NAME licence_spdx_sees_fault
  COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/licence/spdxfault.sh ${CMAKE_CURRENT_SOURCE_DIR}/licence/spdx.sh)
