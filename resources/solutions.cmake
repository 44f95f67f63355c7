# SPDX-License-Identifier: GPL-3.0-or-later
# The level author's rides of the shipped levels (levels/solutions, the ride
# tool's timeline format), embedded under ":/solutions/pack<P>/<LL>.txt" so
# that the game finds them wherever it runs (build tree, installed package,
# tests) and can show one as the author's ghost.
# The autopilot's hand-written starts (<LL>.prefix.txt) stay out.
file(GLOB_RECURSE velocrag_solution_files CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/levels/solutions/*.txt)
list(FILTER velocrag_solution_files EXCLUDE REGEX "\\.prefix\\.txt$")

qt_add_resources(velocrag_resources "solutions"
  PREFIX "/solutions"
  BASE ${PROJECT_SOURCE_DIR}/levels/solutions
  FILES ${velocrag_solution_files})
