# SPDX-License-Identifier: GPL-3.0-or-later
# The vehicle tests share a small test bed (world, scene, terrain, bike).
foreach(t tst_bikeitem tst_ridefeel tst_velocragphysics tst_riderragdollitem tst_inputtimeline)
  if(TARGET ${t})
    target_sources(${t} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/vehicle/testbed.cpp)
    target_include_directories(${t} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/vehicle)
  endif()
endforeach()

# The ride tool's test runs the tool itself and reads the level databases.
if(TARGET tst_ride)
  add_dependencies(tst_ride ride level_databases)
endif()
