# Writes the manual page from the program's --help text, so that both say the same:
#   cmake -DPROGRAM=path/to/kelvo-strand -DOUTPUT=kelvo-strand.6 -DDATA_DIR=... -P manpage.cmake
# The first line of the help (name, version, summary) makes the title and NAME, the "usage:"
# lines the SYNOPSIS, the indented option lines OPTIONS and the closing paragraph DESCRIPTION.
execute_process(COMMAND ${PROGRAM} --help OUTPUT_VARIABLE help RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${PROGRAM} --help failed (${status})")
endif()

# roff: backslashes doubled, hyphens kept as hyphens, no line may start with a dot or quote.
function(roff_escape text out)
  string(REPLACE "\\" "\\\\" text "${text}")
  string(REPLACE "-" "\\-" text "${text}")
  string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

string(REGEX REPLACE "\n$" "" help "${help}")
string(REPLACE ";" "@SEMICOLON@" help "${help}")  # CMake lists split at semicolons
string(REPLACE "\n" ";" lines "${help}")
list(GET lines 0 first)
list(REMOVE_AT lines 0)
if(NOT first MATCHES "^kelvo-strand ([^:]+): (.*)$")
  message(FATAL_ERROR "the first line of --help is not 'kelvo-strand VERSION: summary': ${first}")
endif()
set(version "${CMAKE_MATCH_1}")
set(summary "${CMAKE_MATCH_2}")

set(synopsis "")
set(options "")
set(notes "")
foreach(line IN LISTS lines)
  if(line MATCHES "^usage: " OR (options STREQUAL "" AND line MATCHES "^      "))
    # "usage: " is dropped, so continuation lines lose as many columns
    string(REGEX REPLACE "^usage: |^       " "" line "${line}")
    string(APPEND synopsis "${line}\n")
  elseif(line MATCHES "^  " AND notes STREQUAL "")
    string(APPEND options "${line}\n")
  else()
    string(APPEND notes "${line}\n")
  endif()
endforeach()
foreach(part synopsis options notes summary)
  roff_escape("${${part}}" ${part})
  string(REPLACE "@SEMICOLON@" ";" ${part} "${${part}}")
endforeach()

file(WRITE ${OUTPUT} ".TH KELVO-STRAND 6 \"\" \"kelvo-strand ${version}\" \"Games\"
.SH NAME
kelvo\\-strand \\- ${summary}
.SH SYNOPSIS
.nf
${synopsis}.fi
.SH DESCRIPTION
${notes}.SH OPTIONS
.nf
${options}.fi
")
