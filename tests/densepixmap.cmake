# SPDX-License-Identifier: GPL-3.0-or-later
# The dense-screen pictures are checked at a device pixel ratio of 2.
set_tests_properties(tst_densepixmap PROPERTIES
  ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QT_SCALE_FACTOR=2;VELOCRAG_SOURCE_DIR=${PROJECT_SOURCE_DIR};VELOCRAG_BINARY_DIR=${PROJECT_BINARY_DIR}")
