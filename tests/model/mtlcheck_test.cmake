# Runs mtlcheck on the example and on damaged files and checks exit codes and
# output. Invoked by CTest as: cmake -DMTLCHECK=... -DSOURCE=... -DWORK=... -P
cmake_minimum_required(VERSION 3.22)

set(data "${SOURCE}/tests/data/mtlcheck")
set(sample "${SOURCE}/examples/sample.mtl")
# A copy of the tool in a folder of its own, and a configuration folder of
# its own, so that no settings file of the build or the user changes the slot count.
set(ENV{XDG_CONFIG_HOME} "${WORK}/config")
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}/bin" "${WORK}/ini")
file(COPY "${MTLCHECK}" DESTINATION "${WORK}/bin")
file(COPY "${MTLCHECK}" DESTINATION "${WORK}/ini")
get_filename_component(tool_name "${MTLCHECK}" NAME)
set(tool "${WORK}/bin/${tool_name}")
set(failures 0)

function(check name expected_rc)
  cmake_parse_arguments(C "" "TOOL" "ARGS;EXPECT;REJECT" ${ARGN})
  if(NOT C_TOOL)
    set(C_TOOL "${tool}")
  endif()
  execute_process(COMMAND "${C_TOOL}" ${C_ARGS}
                  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  set(ok TRUE)
  if(NOT rc STREQUAL "${expected_rc}")
    message(STATUS "${name}: exit ${rc}, expected ${expected_rc}")
    set(ok FALSE)
  endif()
  foreach(pattern IN LISTS C_EXPECT)
    if(NOT out MATCHES "${pattern}")
      message(STATUS "${name}: output lacks /${pattern}/")
      set(ok FALSE)
    endif()
  endforeach()
  foreach(pattern IN LISTS C_REJECT)
    if(out MATCHES "${pattern}")
      message(STATUS "${name}: output has /${pattern}/")
      set(ok FALSE)
    endif()
  endforeach()
  if(ok)
    message(STATUS "pass: ${name}")
  else()
    message(STATUS "FAIL: ${name}\n--- stdout:\n${out}--- stderr:\n${err}")
    math(EXPR f "${failures} + 1")
    set(failures ${f} PARENT_SCOPE)
  endif()
endfunction()

check("clean example" 0 ARGS "${sample}"
      EXPECT "sample.mtl: 3 attachment\\(s\\), 0 finding\\(s\\)\n$")

check("damaged file" 1 ARGS "${data}/damaged.mtl"
      EXPECT
        "damaged.mtl:3: ignored: unrecognised keyword or axis: STROKE\\(W\\) = 500\n"
        "damaged.mtl:4: changed: a number field is not numeric, 0 is used: TOOL CHANGE TIME = fast\n"
        "damaged.mtl:5: ignored: attachment number is not a positive number: ATTACHMENT0 = "
        "damaged.mtl:6: dropped: shape not recognised, the attachment is not kept: ATTACHMENT01 = CIRCLE"
        "damaged.mtl:8: ignored: a later line sets the same value: STROKE\\(X\\) = 100\n"
        "damaged.mtl:10: changed: attachment stages or items are not kept"
        "damaged.mtl: 2 attachment\\(s\\), 6 finding\\(s\\)\n"
      REJECT "damaged.mtl:(1|2|7|9):")

# Values that saving would write rounded (at most three decimals), by line.
check("values saving would round" 1 ARGS "${data}/rounded.mtl"
      EXPECT
        "rounded.mtl:2: changed: saving rounds a value, it reads back different: STROKE\\(X\\) = 0.0005\n"
        "rounded.mtl:4: changed: saving rounds a value[^\n]*TOOL CHANGE TIME = 0.0004\n"
        "rounded.mtl:5: changed: saving rounds a value[^\n]*MAXIMUM FEEDRATE = 2.0005\n"
        "rounded.mtl:6: changed: saving rounds a value[^\n]*ATTACHMENT01 = SQUARE/120.0005,"
        "rounded.mtl: 2 attachment\\(s\\), 4 finding\\(s\\)\n"
      REJECT "rounded.mtl:(1|3|7):")

check("file without a machine line" 2 ARGS "${data}/comments-only.mtl"
      EXPECT "comments-only.mtl: cannot be loaded: no machine line recognised")
check("missing file" 2 ARGS "${data}/missing.mtl"
      EXPECT "missing.mtl: cannot be loaded: not an .mtl file, missing or unreadable")
check("wrong extension" 2 ARGS "${data}/clean.txt" EXPECT "clean.txt: cannot be loaded")
check("byte that is not windows-31j" 1 ARGS "${data}/bad-byte.mtl"
      EXPECT "bad-byte.mtl: cannot be saved")

check("worst file decides: changed" 1 ARGS "${sample}" "${data}/damaged.mtl"
      EXPECT "sample.mtl: 3 attachment" "damaged.mtl: 2 attachment")
check("worst file decides: failed" 2 ARGS "${data}/damaged.mtl" "${data}/missing.mtl" "${sample}"
      EXPECT "sample.mtl: 3 attachment")

check("attach-max from the option" 1 ARGS --attach-max 2 "${sample}"
      EXPECT "sample.mtl:27: ignored: more attachment lines than the 2 slots: ATTACHMENT05"
             "sample.mtl: 2 attachment\\(s\\), 1 finding\\(s\\)")
# Counted as the editor counts: 0 gives one slot. The settings file beside
# the tool wins over the user's; without one, the user's is read.
file(WRITE "${WORK}/ini/Quillmark.ini" "[Config]\r\nATTACH MAX COUNT=20\r\n[Comfig]\r\nATTACH MAX COUNT=0\r\n")
file(WRITE "${WORK}/config/quillmark/Quillmark.ini" "[Comfig]\r\nATTACH MAX COUNT=2\r\n")
file(SHA256 "${WORK}/ini/Quillmark.ini" ini_before)
check("attach-max from Quillmark.ini beside the tool" 1 TOOL "${WORK}/ini/${tool_name}"
      ARGS "${sample}" EXPECT "sample.mtl: 1 attachment\\(s\\), 2 finding\\(s\\)")
check("the option beats the ini" 0 TOOL "${WORK}/ini/${tool_name}"
      ARGS --attach-max 10 "${sample}" EXPECT "sample.mtl: 3 attachment")
check("attach-max from the user's Quillmark.ini" 1 ARGS "${sample}" EXPECT "sample.mtl: 2 attachment")
file(SHA256 "${WORK}/ini/Quillmark.ini" ini_after)
if(NOT ini_after STREQUAL ini_before)
  message(STATUS "FAIL: mtlcheck changed Quillmark.ini")
  math(EXPR failures "${failures} + 1")
endif()
file(REMOVE_RECURSE "${WORK}/config")

check("slot count 0 is one slot" 1 ARGS --attach-max 0 "${sample}" EXPECT "sample.mtl: 1 attachment")
# No display is needed: help and version on standard output.
unset(ENV{DISPLAY})
check("help" 0 ARGS --help EXPECT "Usage: .*--attach-max")
check("version" 0 ARGS --version EXPECT "^mtlcheck ${VERSION}\n$")
check("slot count not a number" 2 ARGS --attach-max ten "${sample}")
check("no file" 2)
check("unknown option" 2 ARGS --frobnicate "${sample}")
check("print takes one file" 2 ARGS --print "${sample}" "${sample}")

# --print writes exactly what saving writes: the example comes back byte for byte.
execute_process(COMMAND "${tool}" --print "${sample}" RESULT_VARIABLE rc
                OUTPUT_FILE "${WORK}/printed.mtl")
execute_process(COMMAND "${CMAKE_COMMAND}" -E compare_files "${WORK}/printed.mtl" "${sample}"
                RESULT_VARIABLE same)
if(rc EQUAL 0 AND same EQUAL 0)
  message(STATUS "pass: --print of the example is byte-identical")
else()
  message(STATUS "FAIL: --print of the example (exit ${rc}, compare ${same})")
  math(EXPR failures "${failures} + 1")
endif()

# Of a damaged file it writes the form the editor would save.
execute_process(COMMAND "${tool}" --print "${data}/damaged.mtl" RESULT_VARIABLE rc
                OUTPUT_FILE "${WORK}/repaired.mtl")
execute_process(COMMAND "${CMAKE_COMMAND}" -E compare_files "${WORK}/repaired.mtl"
                        "${data}/damaged-saved.mtl"
                RESULT_VARIABLE same)
if(rc EQUAL 0 AND same EQUAL 0)
  message(STATUS "pass: --print of a damaged file")
else()
  message(STATUS "FAIL: --print of a damaged file (exit ${rc}, compare ${same})")
  math(EXPR failures "${failures} + 1")
endif()
file(RENAME "${WORK}/repaired.mtl" "${WORK}/repaired-copy.mtl")
check("the repaired file is clean" 0 ARGS "${WORK}/repaired-copy.mtl" EXPECT "0 finding")

check("print refuses what cannot be saved" 2 ARGS --print "${data}/bad-byte.mtl")
check("print of a file that does not load" 2 ARGS --print "${data}/comments-only.mtl")

if(failures GREATER 0)
  message(FATAL_ERROR "${failures} mtlcheck check(s) failed")
endif()
