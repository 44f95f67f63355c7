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
# Pictures drawn from SVG layers (no generator) come in each high-density
# ratio too, as <name>@<ratio>x.png, which the game loads where the screen's
# device pixel ratio asks for them.
set(velocrag_hidpi_ratios)
string(JSON velocrag_ratio_count ERROR_VARIABLE velocrag_no_ratios LENGTH "${velocrag_manifest_json}" hidpiRatios)
if(NOT velocrag_no_ratios AND velocrag_ratio_count GREATER 0)
  math(EXPR velocrag_last_ratio "${velocrag_ratio_count} - 1")
  foreach(r RANGE ${velocrag_last_ratio})
    string(JSON ratio GET "${velocrag_manifest_json}" hidpiRatios ${r})
    list(APPEND velocrag_hidpi_ratios ${ratio})
  endforeach()
endif()
set(velocrag_pictures)
foreach(i RANGE ${velocrag_last_picture})
  string(JSON file GET "${velocrag_manifest_json}" pictures ${i} file)
  list(APPEND velocrag_pictures ${velocrag_images_dir}/${file})
  string(JSON generator ERROR_VARIABLE velocrag_no_generator GET "${velocrag_manifest_json}" pictures ${i} generator)
  if(velocrag_no_generator)
    get_filename_component(stem ${file} NAME_WLE)
    get_filename_component(ext ${file} LAST_EXT)
    foreach(ratio ${velocrag_hidpi_ratios})
      list(APPEND velocrag_pictures ${velocrag_images_dir}/${stem}@${ratio}x${ext})
    endforeach()
  endif()
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

# Desktop integration: the launcher entry and the application icon.
install(FILES ${velocrag_assets_dir}/velocrag.desktop DESTINATION share/applications)
install(FILES ${velocrag_images_dir}/velocrag.png DESTINATION share/icons/hicolor/256x256/apps)
