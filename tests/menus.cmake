# SPDX-License-Identifier: GPL-3.0-or-later
# The level-database fixture of the main-menu tests (also used by the
# menu-shots tool).
target_sources(velocrag_testsupport PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/support/leveldbfixture.cpp
  ${CMAKE_CURRENT_LIST_DIR}/support/leveldbfixture.h)
target_link_libraries(velocrag_testsupport PUBLIC Qt6::Sql)
