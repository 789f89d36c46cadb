# Checks a built program of the product: its machine type (MACHINE: i386 for
# the 32-bit package, x86-64 for the 64-bit one, as objdump names the PE
# formats), no imported DLL beyond the system's own, the application manifest
# and, with MAX_SIZE, its size in bytes.
# Run with -DOBJDUMP=... -DFILE=... -DMACHINE=... [-DMAX_SIZE=...]
set(ALLOWED kernel32.dll user32.dll gdi32.dll shell32.dll ole32.dll comctl32.dll
            comdlg32.dll advapi32.dll msvcrt.dll shlwapi.dll)

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
if(NOT dump MATCHES "file format pei-${MACHINE}\n")
    check_pe_fail("${FILE} is not a ${MACHINE} program")
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

# The application manifest is resource 24 with id 1 (the lowest id, so the
# first entry below the type). Without it Windows virtualizes the writes to the
# tool's folder, applies compatibility shims, draws classic controls and
# stretches the windows as bitmaps at high DPI; without activeCodePage, Windows 11
# runs the programs' Shift-JIS texts in whatever code page the system has.
if(NOT dump MATCHES "Entry: ID: 0x000018, Value: 0x8[0-9a-f]+\n[^\n]*Name Table[^\n]*\n[^\n]*Entry: ID: 0x000001,")
    check_pe_fail("${FILE} carries no application manifest (resource 24, id 1)")
endif()
set(MANIFEST_ENTRIES
    "requestedExecutionLevel level=\"asInvoker\""
    "supportedOS Id=\"{e2011457-1546-43c5-a5fe-008deee3d3f0}\""
    "supportedOS Id=\"{35138b9a-5d96-4fbd-8e2d-a2440225f93a}\""
    "supportedOS Id=\"{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}\""
    "supportedOS Id=\"{1f676c76-80e1-4239-95bb-83d0f6d0da78}\""
    "supportedOS Id=\"{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}\""
    "name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""
    ">true</dpiAware>"
    "<activeCodePage xmlns=\"http://schemas.microsoft.com/SMI/2019/WindowsSettings\">ja-JP</activeCodePage>")
file(STRINGS "${FILE}" texts REGEX "asInvoker|supportedOS|Common-Controls|dpiAware|activeCodePage")
string(JOIN "\n" texts ${texts})
foreach(entry IN LISTS MANIFEST_ENTRIES)
    string(FIND "${texts}" "${entry}" at)
    if(at EQUAL -1)
        check_pe_fail("${FILE}: the manifest lacks ${entry}")
    endif()
endforeach()

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
message(STATUS "check_pe: ${FILE}: ${MACHINE}, ${size} bytes${budget}, manifest, imports ${joined}")
