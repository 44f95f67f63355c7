# SPDX-License-Identifier: GPL-3.0-or-later
# Formatting: every C++ file as the root .clang-format says
# (tests/format/clangformat.sh, clang-format pinned by the install script).
# The second test runs the check on a scratch tree with a badly laid out file
# and must see it.
add_test(NAME format_clang
  COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/format/clangformat.sh ${PROJECT_SOURCE_DIR})
add_test(NAME format_clang_sees_fault
  COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/format/clangformatfault.sh
  ${CMAKE_CURRENT_SOURCE_DIR}/format/clangformat.sh ${PROJECT_SOURCE_DIR}/.clang-format)
