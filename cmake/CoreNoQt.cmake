# Runs a check script over the sources at configure time, failing it with
# `failure`, and again before every build of `target`.
function(varnek_core_check target name script failure comment)
  execute_process(COMMAND ${CMAKE_COMMAND} -DROOT=${CMAKE_SOURCE_DIR} -P ${script}
                  RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${failure}")
  endif()
  add_custom_target(${target}_${name}
    COMMAND ${CMAKE_COMMAND} -DROOT=${CMAKE_SOURCE_DIR} -P ${script}
    COMMENT "${comment}")
  add_dependencies(${target} ${target}_${name})
endfunction()

# The core must stay free of Qt: it is linked by the GUI, the command-line
# front end and the tests, and must build and run on a machine without Qt.
# Checked at configure time and again before every build of the core, so a
# stray include fails the build instead of quietly coupling the layers.
function(varnek_forbid_qt_in_core target sources)
  set(check_script ${CMAKE_CURRENT_BINARY_DIR}/check_core_no_qt.cmake)
  file(WRITE ${check_script} [=[
file(GLOB_RECURSE files ${ROOT}/src/base/* ${ROOT}/src/settings/* ${ROOT}/src/window/*
     ${ROOT}/src/serial/* ${ROOT}/src/rig/* ${ROOT}/src/files/* ${ROOT}/src/terminal/*
     ${ROOT}/src/transfer/* ${ROOT}/src/update/* ${ROOT}/src/app/*)
foreach(f IN LISTS files)
  file(STRINGS ${f} hits REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]Q[A-Za-z]")
  if(hits)
    message(FATAL_ERROR "Qt include in the core: ${f}: ${hits}")
  endif()
endforeach()
]=])
  varnek_core_check(${target} no_qt ${check_script} "the core includes Qt"
                    "Checking that the core includes no Qt header")
endfunction()
