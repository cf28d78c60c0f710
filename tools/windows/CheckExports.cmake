# Checks a built Windows module (cmake -P):
#   cmake -DMODULE=Vellumdesk.dll -DOBJDUMP=... -DNM=... -DBITS=32|64 -P CheckExports.cmake
# - the export table holds exactly the four operations, by their plain names;
# - on 32-bit Windows the functions are __stdcall: the symbol table has the
#   decorated names (_name@bytes) with the byte counts of their arguments;
# - the module imports only system DLLs (the MinGW runtime is linked in).
# With -DIMPORTS_ONLY=ON only the last point is checked (for a program).
cmake_minimum_required(VERSION 3.25)

foreach(var MODULE OBJDUMP BITS)
    if(NOT DEFINED ${var})
        message(FATAL_ERROR "CheckExports.cmake needs -D${var}=...")
    endif()
endforeach()

execute_process(COMMAND "${OBJDUMP}" -p "${MODULE}" OUTPUT_VARIABLE dump RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${OBJDUMP} -p ${MODULE} failed")
endif()
string(REPLACE "\n" ";" lines "${dump}")

set(failures "")
set(exports "")
set(imports "")
set(in_names FALSE)
foreach(line IN LISTS lines)
    if(line MATCHES "^\\[Ordinal/Name Pointer\\] Table")
        set(in_names TRUE)
    elseif(in_names AND line MATCHES "^[ \t]*\\[ *[0-9]+\\] (.+)$")
        list(APPEND exports "${CMAKE_MATCH_1}")
    elseif(in_names)
        set(in_names FALSE)
    endif()
    if(line MATCHES "DLL Name: (.+)$")
        string(TOLOWER "${CMAKE_MATCH_1}" dll)
        list(APPEND imports "${dll}")
    endif()
endforeach()

set(expected bCompileCategory bCompileContents bConvertBmpToGif bConvertSHGToGIFMAP)
list(SORT exports)
if(NOT IMPORTS_ONLY AND NOT exports STREQUAL expected)
    list(APPEND failures "export table holds [${exports}], expected [${expected}]")
endif()
if(NOT dump MATCHES "DLL Name: ")
    list(APPEND failures "no import table found")
endif()

set(system_dlls kernel32.dll user32.dll msvcrt.dll advapi32.dll)
foreach(dll IN LISTS imports)
    if(NOT dll IN_LIST system_dlls)
        list(APPEND failures "imports ${dll}, which is not a system DLL")
    endif()
endforeach()

if(BITS EQUAL 32 AND NOT IMPORTS_ONLY)
    if(NOT DEFINED NM)
        message(FATAL_ERROR "CheckExports.cmake needs -DNM=... for a 32-bit module")
    endif()
    execute_process(COMMAND "${NM}" "${MODULE}" OUTPUT_VARIABLE symbols RESULT_VARIABLE rc)
    if(NOT rc EQUAL 0)
        message(FATAL_ERROR "${NM} ${MODULE} failed")
    endif()
    foreach(decorated _bConvertSHGToGIFMAP@12 _bConvertBmpToGif@8 _bCompileContents@8
                      _bCompileCategory@8)
        string(REPLACE "@" "[@]" pattern "${decorated}")
        if(NOT symbols MATCHES " T ${pattern}\n")
            list(APPEND failures "no __stdcall symbol ${decorated}")
        endif()
    endforeach()
endif()

if(failures)
    list(JOIN failures "\n  " text)
    message(FATAL_ERROR "${MODULE}:\n  ${text}")
endif()
message(STATUS "${MODULE}: exports [${exports}], imports [${imports}]")
