# Whole-process comparisons of kototsugi-cli with sed, perl and cp -r; run with
# `cmake --build BUILD --target compare_convert` (or compare_batch), or call the
# scripts directly with the build folder.
add_custom_target(compare_convert
  COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/compare_convert.sh ${CMAKE_BINARY_DIR}
  DEPENDS kototsugi-cli USES_TERMINAL)
add_custom_target(compare_batch
  COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/compare_batch.sh ${CMAKE_BINARY_DIR}
  DEPENDS kototsugi-cli USES_TERMINAL)
