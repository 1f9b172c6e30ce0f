# Writes the velt-cli man page from velt-cli's own --help texts, so the two never disagree.
# Run as: cmake -DVELT_CLI=... -DOUTPUT=....1.gz -DVERSION=... -DDATE=... -P ManPage.cmake

function(run_help out)
  execute_process(COMMAND ${VELT_CLI} ${ARGN} --help OUTPUT_VARIABLE text RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "velt-cli ${ARGN} --help failed (${status})")
  endif()
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

# One line of help text as roff: backslashes and minus signs escaped, never read as a request.
function(roff_line out line)
  string(REPLACE "\\" "\\e" line "${line}")
  string(REPLACE "-" "\\-" line "${line}")
  if(line MATCHES "^[.']")
    set(line "\\&${line}")
  endif()
  set(${out} "${line}" PARENT_SCOPE)
endfunction()

# One command's --help as man text: its usage line as the synopsis, its "  --option ARG  what"
# lines as the list of its options, the rest as paragraphs.
function(command_text out help)
  string(REPLACE ";" "<semicolon>" help "${help}")
  string(REPLACE "\n" ";" lines "${help}")
  set(text "")
  set(paragraph FALSE)
  set(options FALSE)
  foreach(line IN LISTS lines)
    string(REPLACE "<semicolon>" ";" line "${line}")
    if(line MATCHES "^Usage: (.*)$")
      roff_line(usage "${CMAKE_MATCH_1}")
      string(APPEND text ".B ${usage}\n")
      set(paragraph TRUE)
    elseif(line STREQUAL "")
      set(paragraph TRUE)
    elseif(line MATCHES "^  (--[a-z-]+)( [A-Z]+)?  +(.*)$")
      roff_line(name "${CMAKE_MATCH_1}")
      string(STRIP "${CMAKE_MATCH_2}" argument)
      roff_line(what "${CMAKE_MATCH_3}")
      if(NOT options)
        string(APPEND text ".PP\nOptions:\n")
        set(options TRUE)
      endif()
      if(NOT argument STREQUAL "")
        string(APPEND text ".TP\n.BI ${name} \" \" ${argument}\n${what}\n")
      else()
        string(APPEND text ".TP\n.B ${name}\n${what}\n")
      endif()
      set(paragraph FALSE)
    else()
      if(paragraph)
        string(APPEND text ".PP\n")
        set(paragraph FALSE)
      endif()
      roff_line(line "${line}")
      string(APPEND text "${line}\n")
    endif()
  endforeach()
  if(NOT options)
    message(FATAL_ERROR "the --help of a command lists no options:\n${help}")
  endif()
  set(${out} "${text}" PARENT_SCOPE)
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

string(CONCAT page ".TH VELT\\-CLI 1 \"${DATE}\" \"velt\\-cli ${VERSION}\" \"User Commands\"\n"
         ".SH NAME\nvelt\\-cli \\- code text and files with a Velt key file, without a desktop\n"
         ".SH SYNOPSIS\n.B velt\\-cli\n.I COMMAND\n.RI [ OPTIONS ]\n.br\n"
         ".B velt\\-cli\n.RI [ COMMAND ]\n.B \\-\\-help\n.br\n.B velt\\-cli \\-\\-version\n"
         ".SH DESCRIPTION\n"
         "Two correspondents who share one key file exchange text and files in coded form with\n"
         ".BR velt (1).\n"
         ".B velt\\-cli\n"
         "does the same work where there is no desktop, in scripts and over a remote login:\n"
         "it forms and checks key files, codes text between standard input and standard output\n"
         "as armoured coded text that can travel in a mail, and codes files into coded files and back.\n"
         "Its key files, coded texts and coded files are those of the desktop program, so either side\n"
         "may use either program.\n"
         ".PP\n"
         "A coded text or file is read back only with the same key file and the same reference text.\n"
         "Each command is described below with its options.\n"
         ".SH COMMANDS\n")
foreach(command IN LISTS commands)
  run_help(help ${command})
  command_text(text "${help}")
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
