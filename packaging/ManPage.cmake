# Writes the velt-cli man page from velt-cli's own --help texts, so the two never disagree.
# Run as: cmake -DVELT_CLI=... -DOUTPUT=....1.gz -DVERSION=... -DDATE=... -P ManPage.cmake

function(run_help out)
  execute_process(COMMAND ${VELT_CLI} ${ARGN} --help OUTPUT_VARIABLE text RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "velt-cli ${ARGN} --help failed (${status})")
  endif()
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

# Help text as it is printed: backslashes and minus signs escaped, no line read as a request.
function(as_roff out text)
  string(REPLACE "\\" "\\e" text "${text}")
  string(REPLACE "-" "\\-" text "${text}")
  string(REPLACE "\n." "\n\\&." text "${text}")
  string(REPLACE "\n'" "\n\\&'" text "${text}")
  if(text MATCHES "^[.']")
    set(text "\\&${text}")
  endif()
  set(${out} ".nf\n${text}.fi\n" PARENT_SCOPE)
endfunction()

run_help(overview)
string(REGEX MATCHALL "\n  [a-z][a-z-]+ " found "${overview}")
set(commands)
foreach(line IN LISTS found)
  string(STRIP "${line}" name)
  list(APPEND commands ${name})
endforeach()
if(NOT commands)
  message(FATAL_ERROR "velt-cli --help lists no commands")
endif()

as_roff(description "${overview}")
string(CONCAT page ".TH VELT\\-CLI 1 \"${DATE}\" \"velt\\-cli ${VERSION}\" \"User Commands\"\n"
         ".SH NAME\nvelt\\-cli \\- code text and files with a Velt key file, without a desktop\n"
         ".SH SYNOPSIS\n.B velt\\-cli\n.I COMMAND\n.RI [ OPTIONS ]\n"
         ".SH DESCRIPTION\n${description}"
         ".SH COMMANDS\n")
foreach(command IN LISTS commands)
  run_help(help ${command})
  as_roff(text "${help}")
  string(APPEND page ".SS ${command}\n${text}")
endforeach()

string(APPEND page
  ".SH EXIT STATUS\n0 on success, 2 on bad usage, 1 on any other failure; the reason is one line on\n"
  "standard error.\n"
  ".SH FILES\n.TP\n.I KEY.ORB\nThe key a command uses without\n.BR \\-\\-key :\n"
  "the one in the current folder when there is one, otherwise the desktop program's key,\n"
  ".I ~/.local/share/VELT/KEY.ORB\nfor an installed Velt. Such a default key is refused when it, or its folder,\n"
  "belongs to another user or can be written by others.\n"
  ".SH ENVIRONMENT\n.TP\n.B XDG_DATA_HOME\nWhere the desktop program's key folder\n.I VELT\n"
  "lies; by default\n.IR ~/.local/share .\n"
  ".SH SEE ALSO\n.BR velt (1)\n")

get_filename_component(plain "${OUTPUT}" NAME_WLE)
get_filename_component(folder "${OUTPUT}" DIRECTORY)
file(WRITE "${folder}/${plain}" "${page}")
execute_process(COMMAND gzip -9nf "${folder}/${plain}" RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "gzip failed")
endif()
