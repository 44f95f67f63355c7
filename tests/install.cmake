# SPDX-License-Identifier: GPL-3.0-or-later
# Installation and packaging: the desktop entry and the AppStream metadata
# pass their validators; `cmake --install` into a scratch prefix gives the
# Debian game layout and a game that finds its levels from there; the .deb of
# `make package` (built before the tests by `make test`) runs from a scratch
# root under Xvfb, and lintian finds no error or warning in it. Needs
# desktop-file-utils, appstream, dpkg, lintian, Xvfb, xdotool and
# ImageMagick, which `make test` installs.
add_test(NAME desktop_entry_valid
  COMMAND desktop-file-validate ${PROJECT_SOURCE_DIR}/assets/velocrag.desktop)
add_test(NAME metainfo_valid
  COMMAND appstreamcli validate --no-net --pedantic ${VELOCRAG_METAINFO})

add_test(NAME install_layout
  COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/install/layout.sh ${PROJECT_BINARY_DIR} ${PROJECT_VERSION}
          ${VELOCRAG_DEB_VERSION})
set_tests_properties(install_layout PROPERTIES TIMEOUT 120)

# The package is made from the release build only; a sanitizer build has none.
if(NOT VELOCRAG_SANITIZE)
  add_test(NAME package_runs
    COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/install/package.sh ${PROJECT_BINARY_DIR}/package
            ${VELOCRAG_DEB_VERSION} $<TARGET_FILE:velocrag> ${CMAKE_CURRENT_BINARY_DIR}/package-shots)
  set_tests_properties(package_runs PROPERTIES TIMEOUT 180 LABELS e2e RUN_SERIAL TRUE)
  add_test(NAME package_lintian
    COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/install/lintian.sh ${PROJECT_BINARY_DIR}/package
            ${VELOCRAG_DEB_VERSION} $<TARGET_FILE:velocrag>)
  set_tests_properties(package_lintian PROPERTIES TIMEOUT 300)
endif()
