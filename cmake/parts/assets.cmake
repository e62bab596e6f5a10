# Embeds the sound files into the game: tools/assetgen scrambles assets/audio into the generated
# assets_data unit in the build tree, in the table order the asset store expects.
set(VANTREL_ASSET_NAMES
  audio/bgm_calm.ogg
  audio/sfx_click.ogg audio/sfx_pickup.ogg audio/sfx_illegal.ogg audio/sfx_success.ogg
  audio/sfx_win_glare.ogg audio/sfx_star1.ogg audio/sfx_star2.ogg audio/sfx_star3.ogg)
foreach(i RANGE 14)
  list(APPEND VANTREL_ASSET_NAMES audio/sfx_drop_${i}.ogg)
endforeach()
foreach(i RANGE 14)
  list(APPEND VANTREL_ASSET_NAMES audio/sfx_fluid_rise_${i}.ogg)
endforeach()

set(VANTREL_ASSET_FILES)
foreach(name ${VANTREL_ASSET_NAMES})
  list(APPEND VANTREL_ASSET_FILES ${CMAKE_SOURCE_DIR}/assets/${name})
endforeach()

set(VANTREL_ASSET_GEN ${CMAKE_BINARY_DIR}/generated/assets)
file(MAKE_DIRECTORY ${VANTREL_ASSET_GEN})
add_custom_command(
  OUTPUT ${VANTREL_ASSET_GEN}/assets_data.h ${VANTREL_ASSET_GEN}/assets_data.cpp
  COMMAND assetgen ${VANTREL_ASSET_GEN} ${CMAKE_SOURCE_DIR}/assets ${VANTREL_ASSET_NAMES}
  DEPENDS assetgen ${VANTREL_ASSET_FILES}
  COMMENT "Embedding assets/audio"
  VERBATIM)
target_sources(vantrel_game PRIVATE
  ${VANTREL_ASSET_GEN}/assets_data.cpp ${VANTREL_ASSET_GEN}/assets_data.h)
# Public: the tests compare the embedded table with the files it came from.
target_include_directories(vantrel_game PUBLIC ${VANTREL_ASSET_GEN})
