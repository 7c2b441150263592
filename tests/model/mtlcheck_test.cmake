# mtlcheck's exit codes and output. Run by CTest: cmake -DMTLCHECK= -DSOURCE= -DWORK= -DVERSION= -P
cmake_minimum_required(VERSION 3.22)
set(data "${SOURCE}/tests/data/mtlcheck")
set(sample "${SOURCE}/examples/sample.mtl")
# The tool and a config folder of their own: no settings file of the build or the user counts.
set(ENV{XDG_CONFIG_HOME} "${WORK}/config")
file(REMOVE_RECURSE "${WORK}")
file(COPY "${MTLCHECK}" DESTINATION "${WORK}")

# check(title exit [ARGS a...] [OUT re...] [ERR re...] [SAME file]): stdout matches every OUT,
# stderr every ERR; SAME: stdout is that file's bytes. A failure fails the script.
function(check title expected_rc)
  cmake_parse_arguments(C "" "SAME" "ARGS;OUT;ERR" ${ARGN})
  # Through a file: a string read back drops the CRs.
  execute_process(COMMAND "${WORK}/mtlcheck" ${C_ARGS} RESULT_VARIABLE rc OUTPUT_FILE "${WORK}/out" ERROR_VARIABLE ERR)
  file(READ "${WORK}/out" OUT)
  execute_process(COMMAND "${CMAKE_COMMAND}" -E compare_files "${WORK}/out" "${C_SAME}" RESULT_VARIABLE differ OUTPUT_QUIET ERROR_QUIET)
  if(NOT rc STREQUAL "${expected_rc}" OR C_SAME AND differ)
    message(SEND_ERROR "${title}: exit ${rc} or not the bytes of '${C_SAME}'\n${OUT}${ERR}")
  endif()
  foreach(stream OUT ERR)
    foreach(pattern IN LISTS C_${stream})
      if(NOT ${stream} MATCHES "${pattern}")
        message(SEND_ERROR "${title}: ${stream} lacks /${pattern}/\n${OUT}${ERR}")
      endif()
    endforeach()
  endforeach()
endfunction()

check("clean example" 0 ARGS "${sample}" OUT "sample.mtl: 3 attachment\\(s\\), 0 finding\\(s\\), 0 hint\\(s\\)\n$")
# The summary counts the findings, so the lines listed are all there are.
check("damaged file" 1 ARGS "${data}/damaged.mtl"
      OUT "damaged.mtl:4: ignored: unrecognised keyword or axis: STROKE\\(W\\) = 500\n"
          "damaged.mtl:5: changed: a number field is not numeric, 0 is used: TOOL CHANGE TIME = fast\n"
          "damaged.mtl:6: ignored: attachment number is not a positive number: ATTACHMENT0 = "
          "damaged.mtl:7: dropped: shape not recognised, the attachment is not kept: ATTACHMENT01 = CIRCLE"
          "damaged.mtl:9: ignored: a later line sets the same value: STROKE\\(X\\) = 100\n"
          "damaged.mtl:11: changed: attachment stages or items are not kept"
          "damaged.mtl: 2 attachment\\(s\\), 6 finding\\(s\\), ")
check("a value saving would round" 1 ARGS "${data}/rounded.mtl" OUT "rounded.mtl: 0 attachment\\(s\\), 1 finding\\(s\\), "
      "rounded.mtl:2: changed: saving rounds a value, it reads back different: STROKE\\(X\\) = 0.0005\n")
# Values a Single cannot hold and "#" lines past the two header lines change untold otherwise.
check("untold changes" 1 ARGS "${data}/untold.mtl"
      OUT "untold.mtl:4: dropped: a comment line" "untold.mtl:5: changed: saving writes another number"
          "untold.mtl:6: changed: saving writes another number" "untold.mtl:7: changed: saving writes another number"
          "untold.mtl:8: changed: saving writes another number" "untold.mtl:9: dropped: a comment line"
          "untold.mtl: 1 attachment\\(s\\), 6 finding\\(s\\), [0-9]+ hint\\(s\\)\n$")
check("byte that is not windows-31j" 1 ARGS "${data}/bad-byte.mtl" OUT "bad-byte.mtl: cannot be saved")
check("no machine line" 2 ARGS "${data}/comments-only.mtl" OUT "comments-only.mtl: cannot be loaded: no machine line")
foreach(bad "${WORK}/missing.mtl" "${SOURCE}/CMakeLists.txt")
  check("${bad}" 2 ARGS "${bad}" OUT "${bad}: cannot be loaded: not an .mtl file"
        ERR "^mtlcheck: [^\n]*${bad}: not an .mtl file, missing or unreadable\n$")
endforeach()
# Root reads any file, but this one fails every read; the OS's reason is told.
file(CREATE_LINK /proc/self/mem "${WORK}/mem.mtl" SYMBOLIC)
check("unreadable" 2 ARGS "${WORK}/mem.mtl" ERR "mem.mtl: not an .mtl file, missing or unreadable \\(.+\\)\n$")
check("the worst file decides" 2 ARGS "${data}/damaged.mtl" "${WORK}/missing.mtl" "${sample}" OUT "sample.mtl: 3 att")

unset(ENV{DISPLAY})  # no display needed: help and version on stdout
check("help" 0 ARGS --help OUT "Usage: .*--attach-max")
check("version" 0 ARGS --version OUT "^mtlcheck ${VERSION}\n$")
foreach(wrong "--attach-max;ten;${sample}" "" "--frobnicate;${sample}" "--print;${sample};${sample}")
  check("command line '${wrong}'" 2 ARGS ${wrong})
endforeach()
# --print writes exactly what saving writes: the example comes back byte for byte.
check("print the example" 0 ARGS --print "${sample}" SAME "${sample}")
check("print refuses what cannot be saved" 2 ARGS --print "${data}/bad-byte.mtl" ERR "saving would fail")
check("print of a file that does not load" 2 ARGS --print "${data}/comments-only.mtl" ERR "no machine line")
# Slots from --attach-max, else from the settings file beside the tool, else from
# the user's, counted as the editor counts them: 0 is one slot. The file is only read.
check("attach-max" 1 ARGS --attach-max 2 "${sample}" OUT "sample.mtl:27: ignored: more attachment lines than the 2 slots: ATTACHMENT05")
file(WRITE "${WORK}/Quillmark.ini" "[Config]\r\nATTACH MAX COUNT=20\r\n[Comfig]\r\nATTACH MAX COUNT=0\r\n")
file(WRITE "${WORK}/config/quillmark/Quillmark.ini" "[Comfig]\r\nATTACH MAX COUNT=2\r\n")
file(SHA256 "${WORK}/Quillmark.ini" before)
check("ini beside the tool" 1 ARGS "${sample}" OUT "sample.mtl: 1 attachment")
check("option beats the ini" 0 ARGS --attach-max 10 "${sample}" OUT "sample.mtl: 3 attachment")
file(SHA256 "${WORK}/Quillmark.ini" after)
if(NOT after STREQUAL before)
  message(SEND_ERROR "mtlcheck changed Quillmark.ini")
endif()
file(WRITE "${WORK}/Quillmark.ini" "[Config]\r\nTextEditor=vi\r\n")
file(SHA256 "${WORK}/Quillmark.ini" before)
check("ini without the count: its default" 0 ARGS "${sample}" OUT "sample.mtl: 3 attachment")
file(SHA256 "${WORK}/Quillmark.ini" after)
if(NOT after STREQUAL before)
  message(SEND_ERROR "mtlcheck wrote the count's default into Quillmark.ini")
endif()
file(REMOVE "${WORK}/Quillmark.ini")
check("the user's ini" 1 ARGS "${sample}" OUT "sample.mtl: 2 attachment")
# A settings file that cannot be read is said, and the default count used.
foreach(unreadable "byte" "folder")
  file(REMOVE_RECURSE "${WORK}/config/quillmark/Quillmark.ini")
  if(unreadable STREQUAL "byte")
    file(COPY_FILE "${data}/bad-byte.mtl" "${WORK}/config/quillmark/Quillmark.ini")  # a byte no windows-31j
  else()
    file(MAKE_DIRECTORY "${WORK}/config/quillmark/Quillmark.ini")
  endif()
  check("settings unreadable: ${unreadable}" 0 ARGS "${sample}" OUT "sample.mtl: 3 attachment"
        ERR "settings file .*Quillmark.ini cannot be read; its defaults are used \\(the default of 10 attachment slots")
endforeach()
# A report that does not reach its reader fails, as --print does.
foreach(args "${sample}" "--print;${sample}")
  execute_process(COMMAND "${WORK}/mtlcheck" ${args} RESULT_VARIABLE rc OUTPUT_FILE /dev/full ERROR_VARIABLE err)
  if(NOT rc EQUAL 2 OR NOT err MATCHES "cannot write to standard output")
    message(SEND_ERROR "output to a full disk (${args}): exit ${rc}\n${err}")
  endif()
endforeach()
# File names as the bytes the system gives: a Shift-JIS name from a Windows archive, and one with the byte 0xFF. The
# report names them byte for byte; --print reads them.
foreach(octal [[\223\372\226\173]] [[\377]])
  execute_process(COMMAND sh -c [[
      name="$2/$(printf "$3").mtl"
      cp "$1" "$name" && [ "$("$2/mtlcheck" "$name")" = "$name: 3 attachment(s), 0 finding(s), 0 hint(s)" ] &&
        "$2/mtlcheck" --print "$name" | cmp -s - "$1"
    ]] sh "${sample}" "${WORK}" "${octal}" RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(SEND_ERROR "a name of the bytes ${octal}: exit ${rc}\n${out}${err}")
  endif()
endforeach()
# Hints: each rule on a file made for it, at the line of the value it marks (a value not in the file: the line of
# the first value it was compared with), listed after the findings and counted in the summary.
function(hint rule lines text)
  string(REPLACE "|" "\r\n" text "NAME = H|${text}|")
  file(WRITE "${WORK}/${rule}.mtl" "${text}")
  set(expected "")
  foreach(line IN LISTS lines)
    list(APPEND expected "${rule}.mtl:${line}: hint: [^\n]* \\[${rule}\\]\n")
  endforeach()
  list(LENGTH lines n)
  check("hint ${rule}" 0 ARGS "${WORK}/${rule}.mtl" OUT ${expected} "0 finding\\(s\\), ${n} hint\\(s\\)\n$")
endfunction()
set(feeds "MAXIMUM FEEDRATE(X) = 10000|MAXIMUM FEEDRATE(Y) = 10000|MAXIMUM FEEDRATE(Z) = 8000")
hint(rapid-below-feed 5 "${feeds}|RAPID(X) = 3600|RAPID(Y) = 36000|RAPID(Z) = 30000")
hint(feed-above-overall 4 "MAXIMUM FEEDRATE = 8000|MAXIMUM FEEDRATE(X) = 8000|MAXIMUM FEEDRATE(Y) = 9000|MAXIMUM FEEDRATE(Z) = 8000")
hint(rapid-accel-below-accel 7 "MAXIMUM ACCELERATION(X) = 0.3|MAXIMUM ACCELERATION(Y) = 0.3|MAXIMUM ACCELERATION(Z) = 0.5|RAPID ACCELERATION(X) = 0.6|RAPID ACCELERATION(Y) = 0.6|RAPID ACCELERATION(Z) = 0.3")
hint(axis-not-set 2 "STROKE(X) = 850|STROKE(Y) = 500")
hint(axis-outlier 3 "MAXIMUM FEEDRATE(X) = 10000|MAXIMUM FEEDRATE(Y) = 100000|MAXIMUM FEEDRATE(Z) = 8000")
hint(head-taller-than-z 5 "STROKE(X) = 850|STROKE(Y) = 500|STROKE(Z) = 510|ATTACHMENT01 = SQUARE/100,300,120,310")
hint(initial-not-listed 2 "INI = ATTACHMENT07")
hint(same-name-other-outline "2;3" "ATTACHMENT01 = SQUARE/100,20,ARM|ATTACHMENT02 = SQUARE/100,30,ARM")
hint(same-number "2;3" "ATTACHMENT03 = SQUARE/100,20|ATTACHMENT03 = SQUARE/120,20")
# Hints leave the exit status alone; --strict counts them; --no-hints leaves them out, also with --strict. "Hints Off"
# turns rules off, and an unknown name there is said and passed over.
check("strict" 1 ARGS --strict "${WORK}/same-number.mtl" OUT "2 hint\\(s\\)")
check("no hints" 0 ARGS --no-hints --strict "${WORK}/same-number.mtl" OUT "0 hint\\(s\\)\n$")
file(REMOVE_RECURSE "${WORK}/config/quillmark/Quillmark.ini")
file(WRITE "${WORK}/config/quillmark/Quillmark.ini" "[Config]\r\nHints Off = same-number, no-such-rule\r\n")
check("hints off" 0 ARGS --strict "${WORK}/same-number.mtl" OUT "0 hint\\(s\\)\n$"
      ERR "\"no-such-rule\" in \"Hints Off\" is no hint rule")
# --compare: the machines in the files' own terms. Key case, line order, line ends and "850" against "850." are layout,
# not difference; attachments pair by number, a second of one number with the other's second.
function(machine name text)
  string(REPLACE "|" "\r\n" text "${text}|")
  file(WRITE "${WORK}/${name}.mtl" "${text}")
endfunction()
machine(a "NAME = VM5|STROKE(X) = 850.|ATC TYPE = WAIT|ATTACHMENT02 = SQUARE/80.,30.,HEAD|ATTACHMENT05 = SQUARE/60.,150.|ATTACHMENT07 = SQUARE/10.,10.|ATTACHMENT07 = SQUARE/20.,10.")
file(WRITE "${WORK}/a-layout.mtl" "attachment07 = square/10,10\nAttachment05 = SQUARE/60,150\nattachment07 = SQUARE/20,10.\nATTACHMENT02 = SQUARE/80,30,HEAD\nstroke(x) = 850\nATC TYPE = wait\nNAME = VM5\n")
machine(b "NAME = VM5|STROKE(X) = 900.|ATC TYPE = WAIT|ATTACHMENT02 = SQUARE/80.,30.,90.,5.,HEAD|ATTACHMENT07 = SQUARE/10.,10.|ATTACHMENT07 = SQUARE/20.,12.")
check("same machine, other layout" 0 ARGS --compare "${WORK}/a.mtl" "${WORK}/a-layout.mtl"
      OUT "^A: [^\n]*a.mtl\nB: [^\n]*a-layout.mtl\n$")
check("differences" 1 ARGS --compare "${WORK}/a.mtl" "${WORK}/b.mtl"
      OUT "^A: [^\n]*a.mtl\nB: [^\n]*b.mtl\nSTROKE\\(X\\): 850. -> 900.\nATTACHMENT02: stage 2 width \\(not set\\) -> 90.\n"
          "ATTACHMENT02: stage 2 height \\(not set\\) -> 5.\nATTACHMENT05: only in A\nATTACHMENT07 #2: stage 1 height 10. -> 12.\n$")
# Findings come first and leave the status alone; either file unreadable is 2; anything but two files is a usage error.
check("findings first" 1 ARGS --compare "${data}/damaged.mtl" "${WORK}/a.mtl"
      OUT "^[^\n]*damaged.mtl:4: ignored: [^\n]*\n([^\n]*damaged.mtl:[^\n]*\n)*A: [^\n]*damaged.mtl\nB: ")
check("unreadable B" 2 ARGS --compare "${WORK}/a.mtl" "${data}/comments-only.mtl" OUT "comments-only.mtl: cannot be loaded")
foreach(wrong "--compare;${sample}" "--compare;${sample};${sample};${sample}" "--compare;--print;${sample};${sample}")
  check("command line '${wrong}'" 2 ARGS ${wrong} ERR "compare takes exactly two files|print takes exactly one")
endforeach()
# No attachment is cut: the settings' two slots do not count, --attach-max does.
file(WRITE "${WORK}/config/quillmark/Quillmark.ini" "[Comfig]\r\nATTACH MAX COUNT=2\r\n")
check("every slot" 1 ARGS --compare "${WORK}/a.mtl" "${WORK}/b.mtl" OUT "ATTACHMENT07 #2")
check("attach-max cuts" 1 ARGS --attach-max 2 --compare "${WORK}/a.mtl" "${WORK}/b.mtl" OUT "ATTACHMENT07: only in B\n$")
