# Writes knexport(1) from the program's own help texts, so that the page and --help never disagree:
# help2man reads "knexport --help" and "--version", and each command's "knexport help COMMAND" goes
# in as a section of its own.
#   cmake -DKNEXPORT=<program> -DOUTPUT=<knexport.1> -DWORK=<folder> -P KnexportManPage.cmake
set(include_file ${WORK}/knexport.h2m)
set(text "[COMMANDS]\nEach command has its own options; they follow the command word.\n")
foreach(command convert preview packages demo codepages history)
  execute_process(COMMAND ${KNEXPORT} help ${command} OUTPUT_VARIABLE help RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "knexport help ${command} failed")
  endif()
  # roff reads a backslash as an escape; the help texts start no line with a dot.
  string(REPLACE "\\" "\\\\" help "${help}")
  string(APPEND text ".SS ${command}\n.nf\n${help}.fi\n")
endforeach()
string(APPEND text "[FILES]\n.TP\n.I share/knexport/payments.txt\nThe example payment file that \\fBknexport demo\\fR converts.\n")
string(APPEND text ".TP\n.I ~/.local/share/DARODEV/knexport/history.sqlite\nThe history of conversions (\\fB$XDG_DATA_HOME\\fR when set), which \\fBconvert\\fR checks and adds to; \\fB--history\\fR names another.\n")
file(WRITE ${include_file} "${text}")
execute_process(
  COMMAND help2man --no-info --section 1 --source DARODEV
          --name "turn a Kaprin payment file into an accounting package's import file"
          --include ${include_file} --output ${OUTPUT} ${KNEXPORT}
  RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "help2man failed on ${KNEXPORT}")
endif()
