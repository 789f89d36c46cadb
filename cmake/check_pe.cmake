# Checks a built program of the product: 32-bit x86 machine type, no imported
# DLL beyond the system's own and, with MAX_SIZE, its size in bytes.
# Run with -DOBJDUMP=... -DFILE=... [-DMAX_SIZE=...]
set(ALLOWED kernel32.dll user32.dll gdi32.dll shell32.dll ole32.dll comctl32.dll
            comdlg32.dll advapi32.dll msvcrt.dll)

# A failed check removes the program: the check runs after linking, and a
# program left behind would count as built and pass unchecked next time.
function(check_pe_fail)
    string(CONCAT text ${ARGV})
    file(REMOVE "${FILE}")
    message(FATAL_ERROR "check_pe: ${text}")
endfunction()

# objdump translates its report under a Japanese locale: read it in the C locale.
execute_process(COMMAND ${CMAKE_COMMAND} -E env LC_ALL=C ${OBJDUMP} -p ${FILE}
                OUTPUT_VARIABLE dump RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
    check_pe_fail("cannot read ${FILE}")
endif()
if(NOT dump MATCHES "file format pei-i386")
    check_pe_fail("${FILE} is not a 32-bit x86 program")
endif()
string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${dump}")
set(names "")
foreach(line IN LISTS imports)
    string(REPLACE "DLL Name: " "" dll "${line}")
    string(STRIP "${dll}" dll)
    string(TOLOWER "${dll}" dll)
    list(FIND ALLOWED ${dll} found)
    if(found EQUAL -1)
        check_pe_fail("${FILE} imports ${dll}, which is not a system DLL")
    endif()
    list(APPEND names ${dll})
endforeach()
list(JOIN names ", " joined)

file(SIZE "${FILE}" size)
set(budget "")
if(MAX_SIZE)
    if(size GREATER MAX_SIZE)
        math(EXPR over "${size} - ${MAX_SIZE}")
        check_pe_fail("${FILE} is ${size} bytes, ${over} over its budget of ${MAX_SIZE} bytes "
                      "(a link map, -DCMAKE_EXE_LINKER_FLAGS=-Wl,-Map=map.txt, shows what grew)")
    endif()
    set(budget " of at most ${MAX_SIZE}")
endif()
message(STATUS "check_pe: ${FILE}: i386, ${size} bytes${budget}, imports ${joined}")
