# The engine's libraries and their layer map.
#
#   corvane_layer(<target> <folder> <link>...)
#
# makes one static library from every .cpp of the folder (its sub-folders
# are libraries of their own) that links the libraries below it, and
# declares it in the layer map.
#
#   corvane_declare_layer(<target> <folder> [RECURSE])
#
# declares a target made otherwise (the base library, which takes its
# sub-folders, the 3DS reader, our shared libraries, the program, the test
# kit). corvane_write_layer_map() writes the map, each layer's link
# libraries as CMake finally has them, to <build>/layer_map.txt, which
# scripts/check_layers.py reads: no cycle, and no include of a library that
# is not below.
function(corvane_declare_layer target folder)
  cmake_parse_arguments(LAYER "RECURSE" "" "" ${ARGN})
  set(recurse 0)
  if(LAYER_RECURSE)
    set(recurse 1)
  endif()
  set_property(GLOBAL APPEND PROPERTY CORVANE_LAYERS ${target})
  set_property(GLOBAL PROPERTY CORVANE_LAYER_ROW_${target} "${target}|${folder}|${recurse}")
endfunction()

function(corvane_layer target folder)
  file(GLOB sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${folder}/*.cpp)
  add_library(${target} STATIC ${sources})
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${target} PUBLIC ${ARGN})
  corvane_warnings(${target})
  corvane_declare_layer(${target} ${folder})
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
