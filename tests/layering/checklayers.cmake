# SPDX-License-Identifier: GPL-3.0-or-later
# Fails when a source folder includes a header of its own layer's peers or
# of a higher layer. Run as a script:
#   cmake -DROOT=<source tree> -P checklayers.cmake
# base/ (the fatal stop, data folders, pictures) and input/ (keys, pads)
# stand below every other layer. A folder may include its own headers and
# those of folders with a lower rank only (the layers of the top-level CMakeLists.txt, with the order
# inside the simulation layer: physics below levels and vehicle, both below
# world, replays on top; menus below the game's controller and view;
# resources, linked by the executable alone, on top of all).
# A top-level folder that holds C++ sources and is neither a layer nor one of
# the folders outside the layers (tests and tools link the layers, they are
# no part of them; build folders are made by the build) is an error: a new
# folder must be given its place here.
set(outside_layers tests tools)
set(layer_ranks
  base 0
  input 0
  ge 1
  sound 2
  physics 3
  levels 4
  vehicle 4
  world 5
  replays 6
  menus 7
  game 8
  app 9
  resources 10)

cmake_minimum_required(VERSION 3.25)

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
file(GLOB top_entries LIST_DIRECTORIES true RELATIVE ${ROOT} ${ROOT}/*)
foreach(entry ${top_entries})
  if(NOT IS_DIRECTORY ${ROOT}/${entry} OR entry MATCHES "^(\\.|build)" OR entry IN_LIST names
     OR entry IN_LIST outside_layers)
    continue()
  endif()
  file(GLOB_RECURSE stray_sources ${ROOT}/${entry}/*.h ${ROOT}/${entry}/*.cpp)
  if(stray_sources)
    message(SEND_ERROR "${entry}/: holds C++ sources but is not a known layer; give it a rank in checklayers.cmake")
    math(EXPR violations "${violations} + 1")
  endif()
endforeach()

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
  message(FATAL_ERROR "checklayers: ${violations} include(s) or folder(s) against the layering")
endif()
message(STATUS "checklayers: every folder includes only its own and lower layers")
