# SPDX-License-Identifier: GPL-3.0-or-later
# The game's wave files, made at build time by tools/soundsynth from its
# recipes and embedded under ":/sounds/".
set(VELOCRAG_SOUND_NAMES engine1 sliding ambient1 ambient2)
foreach(i RANGE 1 10)
  list(APPEND VELOCRAG_SOUND_NAMES groundhit${i})
endforeach()
foreach(i RANGE 1 4)
  list(APPEND VELOCRAG_SOUND_NAMES crowdcheer${i} crowddisappointment${i} crowdawe${i})
endforeach()

set(velocrag_sound_dir ${CMAKE_CURRENT_BINARY_DIR}/sounds)
set(velocrag_sound_files)
foreach(name ${VELOCRAG_SOUND_NAMES})
  list(APPEND velocrag_sound_files ${velocrag_sound_dir}/${name}.wav)
endforeach()

add_custom_command(
  OUTPUT ${velocrag_sound_files}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${velocrag_sound_dir}
  COMMAND soundsynth ${velocrag_sound_dir}
  DEPENDS soundsynth ${SOUNDSYNTH_SOURCES}
  COMMENT "Synthesising the game's sounds"
  VERBATIM)
set_source_files_properties(${velocrag_sound_files} PROPERTIES GENERATED TRUE)

qt_add_resources(velocrag_resources "sounds"
  PREFIX "/sounds"
  BASE ${velocrag_sound_dir}
  FILES ${velocrag_sound_files})
