# SpiderMonkey 102 as Debian ships it (libmozjs-102-dev): a release build,
# whose js-config.h refuses to be included with DEBUG defined. The check
# fails here, at configure time, rather than in the middle of the build.
find_package(PkgConfig REQUIRED)
find_package(Threads REQUIRED)
pkg_check_modules(MOZJS REQUIRED IMPORTED_TARGET mozjs-102)

if(DEFINED DEBUG OR DEFINED CACHE{DEBUG})
  message(FATAL_ERROR "DEBUG is set: mozjs-102 is a release build and cannot be used with DEBUG defined")
endif()
string(TOUPPER "${CMAKE_BUILD_TYPE}" _corvane_build_type)
get_directory_property(_corvane_definitions COMPILE_DEFINITIONS)
set(_corvane_flags "${CMAKE_CXX_FLAGS} ${CMAKE_CXX_FLAGS_${_corvane_build_type}} ${_corvane_definitions}")
if(_corvane_flags MATCHES "(^|[ ;])(-D)?DEBUG($|[ =;])")
  message(FATAL_ERROR "DEBUG is defined in the compile flags: mozjs-102 is a release build and cannot be used with it")
endif()

# What js-config.h itself says under the flags of this build.
include(CheckCXXSourceCompiles)
set(CMAKE_REQUIRED_INCLUDES ${MOZJS_INCLUDE_DIRS})
set(CMAKE_REQUIRED_FLAGS "${CMAKE_CXX_FLAGS} ${CMAKE_CXX_FLAGS_${_corvane_build_type}}")
check_cxx_source_compiles("#include <js-config.h>\nint main() { return MOZJS_MAJOR_VERSION == 102 ? 0 : 1; }"
                          CORVANE_MOZJS_CONFIG_FITS)
unset(CMAKE_REQUIRED_INCLUDES)
unset(CMAKE_REQUIRED_FLAGS)
if(NOT CORVANE_MOZJS_CONFIG_FITS)
  message(FATAL_ERROR "mozjs-102's js-config.h does not compile with this build's flags (is DEBUG defined?)")
endif()
