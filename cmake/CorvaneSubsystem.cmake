# One static library per subsystem folder, from every .cpp in it. The
# subsystems above the base library call each other (the engine core owns
# resources, scripts and devices; those hold engine objects), so their
# libraries link one another and CMake repeats them on the link line.
function(corvane_subsystem target folder)
  file(GLOB sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${folder}/*.cpp)
  list(FILTER sources EXCLUDE REGEX "/main\\.cpp$")
  add_library(${target} STATIC ${sources})
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${target} PUBLIC corvane_base ${ARGN})
  corvane_warnings(${target})
  corvane_declare_layer(${target} ${folder})
endfunction()
