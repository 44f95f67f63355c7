# SPDX-License-Identifier: GPL-3.0-or-later
# Fails when a source folder includes a header of its own layer's peers or
# of a higher layer. Run as a script:
#   cmake -DROOT=<source tree> -P checklayers.cmake
# A folder may include its own headers and those of folders with a lower
# rank only (the layers of the top-level CMakeLists.txt, with the order
# inside the simulation layer: physics below levels and vehicle, both below
# world, replays on top; menus below the game's controller and view).
set(layer_ranks
  ge 1
  sound 2
  physics 3
  levels 4
  vehicle 4
  world 5
  replays 6
  menus 7
  game 8
  app 9)

if(NOT ROOT)
  message(FATAL_ERROR "checklayers: ROOT (the source tree) is not set")
endif()

set(names)
set(index 0)
list(LENGTH layer_ranks count)
while(index LESS count)
  list(GET layer_ranks ${index} name)
  math(EXPR next "${index} + 1")
  list(GET layer_ranks ${next} rank)
  set(rank_${name} ${rank})
  list(APPEND names ${name})
  math(EXPR index "${index} + 2")
endwhile()

set(violations 0)
foreach(folder ${names})
  file(GLOB sources ${ROOT}/${folder}/*.h ${ROOT}/${folder}/*.cpp)
  foreach(source ${sources})
    file(STRINGS ${source} includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"[a-z0-9_]+/")
    foreach(line ${includes})
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([a-z0-9_]+)/.*$" "\\1" target "${line}")
      if(target STREQUAL folder OR NOT DEFINED rank_${target})
        continue()
      endif()
      if(NOT rank_${target} LESS rank_${folder})
        file(RELATIVE_PATH shown ${ROOT} ${source})
        message(SEND_ERROR "${shown}: ${folder}/ (rank ${rank_${folder}}) must not include ${target}/ (rank ${rank_${target}}): ${line}")
        math(EXPR violations "${violations} + 1")
      endif()
    endforeach()
  endforeach()
endforeach()

if(violations GREATER 0)
  message(FATAL_ERROR "checklayers: ${violations} include(s) against the layering")
endif()
message(STATUS "checklayers: every folder includes only its own and lower layers")
