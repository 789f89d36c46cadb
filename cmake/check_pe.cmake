# Checks a built program of the product: 32-bit x86 machine type and no
# imported DLL beyond the system's own. Run with -DOBJDUMP=... -DFILE=...
set(ALLOWED kernel32.dll user32.dll gdi32.dll shell32.dll ole32.dll comctl32.dll
            comdlg32.dll advapi32.dll msvcrt.dll)

# objdump translates its report under a Japanese locale: read it in the C locale.
execute_process(COMMAND ${CMAKE_COMMAND} -E env LC_ALL=C ${OBJDUMP} -p ${FILE}
                OUTPUT_VARIABLE dump RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "check_pe: cannot read ${FILE}")
endif()
if(NOT dump MATCHES "file format pei-i386")
    message(FATAL_ERROR "check_pe: ${FILE} is not a 32-bit x86 program")
endif()
string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${dump}")
set(names "")
foreach(line IN LISTS imports)
    string(REPLACE "DLL Name: " "" dll "${line}")
    string(STRIP "${dll}" dll)
    string(TOLOWER "${dll}" dll)
    list(FIND ALLOWED ${dll} found)
    if(found EQUAL -1)
        message(FATAL_ERROR "check_pe: ${FILE} imports ${dll}, which is not a system DLL")
    endif()
    list(APPEND names ${dll})
endforeach()
list(JOIN names ", " joined)
message(STATUS "check_pe: ${FILE}: i386, imports ${joined}")
