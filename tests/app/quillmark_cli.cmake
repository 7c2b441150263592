# quillmark's own options need no display: cmake -DQUILLMARK=... -DVERSION=... -P
unset(ENV{DISPLAY})
unset(ENV{WAYLAND_DISPLAY})
unset(ENV{QT_QPA_PLATFORM})
set(failures "")
foreach(case "--version;0;out;^quillmark ${VERSION}\n$"
             "--help;0;out;Usage: .*FILE\\.mtl"
             "--frobnicate;2;err;Unknown option 'frobnicate'.*Usage: ")
  list(GET case 0 arg)
  list(GET case 1 expected_rc)
  list(GET case 2 stream)
  list(GET case 3 pattern)
  execute_process(COMMAND "${QUILLMARK}" ${arg} RESULT_VARIABLE rc OUTPUT_VARIABLE out
                  ERROR_VARIABLE err TIMEOUT 10)
  if(NOT rc STREQUAL expected_rc OR NOT "${${stream}}" MATCHES "${pattern}")
    list(APPEND failures "${arg}: exit ${rc}\n--- stdout:\n${out}--- stderr:\n${err}")
  endif()
endforeach()
if(failures)
  message(FATAL_ERROR "${failures}")
endif()
