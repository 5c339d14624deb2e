# The engine's eight default files, drawn by make_defaults.py and committed
# beside it, are carried inside the executable: each becomes a generated
# source holding its bytes, compiled into the resources library and
# registered at start-up by RegisterEmbeddedDefaults(). Included from the
# top-level list file, where the corvane_resources target is made.
set(CORVANE_DEFAULTS_DIR ${PROJECT_SOURCE_DIR}/resources/defaults)
set(CORVANE_DEFAULTS_OUT ${CMAKE_BINARY_DIR}/generated/defaults)
set(CORVANE_DEFAULT_FILES
  defaultcur.pixmap=kDefaultCurPixmap
  defaultskin.pixmap=kDefaultSkinPixmap
  defaulticon.pixmap=kDefaultIconPixmap
  defaultpfx.pixmap=kDefaultPfxPixmap
  defaultskin.object=kDefaultSkinObject
  logo.png=kLogoPng
  logo_mozilla.png=kLogoMozillaPng
  logo_newton.png=kLogoNewtonPng)

set(CORVANE_DEFAULT_SOURCES)
foreach(entry IN LISTS CORVANE_DEFAULT_FILES)
  string(REPLACE "=" ";" parts ${entry})
  list(GET parts 0 file)
  list(GET parts 1 symbol)
  set(out ${CORVANE_DEFAULTS_OUT}/${symbol}.cpp)
  add_custom_command(
    OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -DINPUT=${CORVANE_DEFAULTS_DIR}/${file} -DOUTPUT=${out} -DSYMBOL=${symbol}
            -P ${PROJECT_SOURCE_DIR}/cmake/CorvaneBinaryToArray.cmake
    DEPENDS ${CORVANE_DEFAULTS_DIR}/${file} ${PROJECT_SOURCE_DIR}/cmake/CorvaneBinaryToArray.cmake
    COMMENT "Embedding ${file}"
    VERBATIM)
  list(APPEND CORVANE_DEFAULT_SOURCES ${out})
endforeach()
target_sources(corvane_resources PRIVATE ${CORVANE_DEFAULT_SOURCES})
