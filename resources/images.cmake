# SPDX-License-Identifier: GPL-3.0-or-later
# Every picture of the game is rendered at build time by tools/artgen from the
# sources in assets/ (SVG layers and procedural generators) into the build
# tree, and embedded under :/images/. assets/pictures.json lists each file
# with its exact size; nothing rendered is committed.

set(velocrag_assets_dir ${PROJECT_SOURCE_DIR}/assets)
set(velocrag_picture_manifest ${velocrag_assets_dir}/pictures.json)
set(velocrag_images_dir ${CMAKE_CURRENT_BINARY_DIR}/images)

velocrag_manifest_pictures(${velocrag_picture_manifest} ${velocrag_images_dir} velocrag_pictures velocrag_picture_widths)
list(LENGTH velocrag_pictures velocrag_picture_count)

file(GLOB_RECURSE velocrag_asset_sources CONFIGURE_DEPENDS ${velocrag_assets_dir}/*.svg)

add_custom_command(
  OUTPUT ${velocrag_pictures}
  COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen
          $<TARGET_FILE:artgen> render ${velocrag_picture_manifest} ${velocrag_images_dir}
  DEPENDS artgen ${velocrag_picture_manifest} ${velocrag_asset_sources}
  COMMENT "Rendering ${velocrag_picture_count} pictures from assets/"
  VERBATIM)
set_source_files_properties(${velocrag_pictures} PROPERTIES GENERATED TRUE)

qt_add_resources(velocrag_resources velocrag_images
  PREFIX /images
  BASE ${velocrag_images_dir}
  FILES ${velocrag_pictures})

