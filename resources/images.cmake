# Every picture of the game is rendered at build time by tools/artgen from the
# sources in assets/ (SVG layers and procedural generators) into the build
# tree, and embedded under :/images/. assets/pictures.json lists each file
# with its exact size; nothing rendered is committed.

set(velocrag_assets_dir ${PROJECT_SOURCE_DIR}/assets)
set(velocrag_picture_manifest ${velocrag_assets_dir}/pictures.json)
set(velocrag_images_dir ${CMAKE_CURRENT_BINARY_DIR}/images)

# Re-configure when the list of pictures changes, so outputs stay in step.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${velocrag_picture_manifest})
file(READ ${velocrag_picture_manifest} velocrag_manifest_json)
string(JSON velocrag_picture_count LENGTH "${velocrag_manifest_json}" pictures)
math(EXPR velocrag_last_picture "${velocrag_picture_count} - 1")
set(velocrag_pictures)
foreach(i RANGE ${velocrag_last_picture})
  string(JSON file GET "${velocrag_manifest_json}" pictures ${i} file)
  list(APPEND velocrag_pictures ${velocrag_images_dir}/${file})
endforeach()

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

