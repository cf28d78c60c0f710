# Makes the manual page OUT of the vellumdesk tool TOOL with HELP2MAN: the
# tool's --help and --version, and a COMMANDS section holding the help of
# every command the tool lists.
#   cmake -DTOOL=... -DHELP2MAN=... -DOUT=... -P MakeManPage.cmake
execute_process(COMMAND ${TOOL} --help OUTPUT_VARIABLE help RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "'${TOOL} --help' failed")
endif()
string(REGEX MATCHALL "\n  [a-z0-9-]+ " lines "${help}")

set(section "[COMMANDS]\n")
foreach(line IN LISTS lines)
    string(STRIP "${line}" command)
    execute_process(COMMAND ${TOOL} help ${command} OUTPUT_VARIABLE text RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "'${TOOL} help ${command}' failed")
    endif()
    # Plain text for roff: backslashes escaped, lines that start with a dot
    # or a quote kept as text.
    string(REPLACE "\\" "\\e" text "${text}")
    string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" text "${text}")
    string(APPEND section ".SS ${command}\n.nf\n${text}.fi\n")
endforeach()
string(APPEND section "[SEE ALSO]
.BR pkg-config (1)
.PP
The library's header
.I vellumdesk.h
describes its four operations; the README (installed in
.IR share/doc/vellumdesk )
describes the library, the tool, how to build and install them and how a host
finds the library (CMake, pkg-config or plain compiler flags).
[REPORTING BUGS]
Report bugs to the Vellumdesk tools library authors through the project's
issue tracker. Give the command line, the error lines, the version
.RB ( \\-\\-version )
and, where you can, the files the command read.
[LICENSE]
MIT; see the file LICENSE installed with the README.
")
get_filename_component(folder "${OUT}" DIRECTORY)
set(include "${folder}/vellumdesk-man-commands.h2m")
file(WRITE "${include}" "${section}")

execute_process(
    COMMAND ${HELP2MAN} --no-info --no-discard-stderr --section=1
            "--name=publish help material: hypergraphics, bitmaps and navigation files"
            "--include=${include}" "--output=${OUT}" ${TOOL}
    RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "help2man failed on ${TOOL}")
endif()
