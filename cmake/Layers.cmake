# The core's folders are layers, lowest first. A file may include headers of
# its own folder and of the folders below it, never of one above: so the
# folder graph has no circle, and a subsystem cannot reach into the program
# that holds it. Checked at configure time and before every build of the
# core, like the no-Qt rule.
set(VARNEK_LAYERS base settings window serial rig files terminal transfer update edit app)

function(varnek_check_layers target)
  set(check_script ${CMAKE_CURRENT_BINARY_DIR}/check_core_layers.cmake)
  string(REPLACE ";" " " layers "${VARNEK_LAYERS}")
  file(WRITE ${check_script} "set(layers ${layers})\n")
  file(APPEND ${check_script} [=[
separate_arguments(layers)
set(bad "")
list(LENGTH layers count)
math(EXPR last "${count} - 1")
foreach(rank RANGE ${last})
  list(GET layers ${rank} folder)
  file(GLOB_RECURSE files ${ROOT}/src/${folder}/*.h ${ROOT}/src/${folder}/*.cpp)
  foreach(f IN LISTS files)
    file(STRINGS ${f} includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"[a-z_]+/")
    foreach(line IN LISTS includes)
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([a-z_]+)/.*" "\\1" to "${line}")
      list(FIND layers ${to} to_rank)
      if(to_rank GREATER rank)
        string(APPEND bad "\n  ${f}: ${folder} includes ${to}, a layer above it")
      elseif(to_rank EQUAL -1)
        string(APPEND bad "\n  ${f}: ${folder} includes ${to}, which is no layer of the core")
      endif()
    endforeach()
  endforeach()
endforeach()
if(bad)
  message(FATAL_ERROR "layer order broken (${layers}):${bad}")
endif()
]=])
  varnek_core_check(${target} layers ${check_script} "the core's layers include upwards"
                    "Checking that no core folder includes one above it")
endfunction()
