# The layer map: every library of the engine with its folder, so that
# scripts/check_layers.py can check the layering against the real link
# graph. A layer's files are the sources and headers of its folder (and of
# its sub-folders when it is declared RECURSE, except those that are layers
# of their own).
#
#   corvane_declare_layer(<target> <folder> [RECURSE])
#
# corvane_write_layer_map() writes the map, with each layer's link
# libraries as CMake finally has them, to <build>/layer_map.txt.
function(corvane_declare_layer target folder)
  cmake_parse_arguments(LAYER "RECURSE" "" "" ${ARGN})
  set(recurse 0)
  if(LAYER_RECURSE)
    set(recurse 1)
  endif()
  set_property(GLOBAL APPEND PROPERTY CORVANE_LAYERS ${target})
  set_property(GLOBAL PROPERTY CORVANE_LAYER_ROW_${target} "${target}|${folder}|${recurse}")
endfunction()

function(corvane_write_layer_map)
  get_property(layers GLOBAL PROPERTY CORVANE_LAYERS)
  set(rows "")
  foreach(target IN LISTS layers)
    get_property(row GLOBAL PROPERTY CORVANE_LAYER_ROW_${target})
    string(APPEND rows "${row}|$<TARGET_PROPERTY:${target},LINK_LIBRARIES>\n")
  endforeach()
  file(GENERATE OUTPUT ${CMAKE_BINARY_DIR}/layer_map.txt CONTENT "${rows}")
endfunction()
