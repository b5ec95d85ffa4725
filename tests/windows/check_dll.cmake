# Static checks of a Windows pharmex.dll, run on the build machine without
# starting it (the only checks of the 32-bit DLL here: this machine's kernel
# runs no 32-bit programs, so Wine cannot load it):
#   - the export table lists exactly the names of cmake/pharmex.def, plain
#     (no "@N" decoration, no leading underscore);
#   - on 32-bit Windows the stdcall argument sizes the compiler gave the entry
#     points are those of their argument lists, and the import library
#     offers the decorated names a host's declarations produce;
#   - the DLL imports only DLLs that Windows itself ships;
#   - the resources hold the icon "MAINICON" and the version;
#   - the DLL may have exception handlers (32-bit: not marked NO_SEH and no
#     SafeSEH table, either of which would make the system refuse the host
#     call guard's handler);
#   - a host linked through the import library imports the plain names.
#
#   cmake -DOBJDUMP=... -DNM=... -DDLL=pharmex.dll -DLIB=pharmex.lib
#         -DEXPORT_LIST=cmake/pharmex.def [-DDECORATED_DEF=...] [-DHOST=host.exe]
#         -DVERSION=0.1.0 -P check_dll.cmake
cmake_minimum_required(VERSION 3.20)
include(${CMAKE_CURRENT_LIST_DIR}/../../cmake/export_names.cmake)

set(failures)
macro(fail text)
  list(APPEND failures "${text}")
endmacro()

execute_process(COMMAND ${OBJDUMP} -p ${DLL} OUTPUT_VARIABLE dump RESULT_VARIABLE rc)
if(rc)
  message(FATAL_ERROR "${OBJDUMP} -p ${DLL} failed")
endif()

# Exports: the name table of the export directory.
pharmex_export_names(${EXPORT_LIST} expected)
# Lines "\t[   0] name"; the brackets go first, as CMake lists would
# misread them.
string(REGEX MATCH "\\[Ordinal/Name Pointer\\] Table\n(([^\n]+\n)*)" table "${dump}")
string(REGEX REPLACE "[^\n]*\\] ([^\n]+)\n" "\\1;" exported "${CMAKE_MATCH_1}")
list(REMOVE_ITEM exported "")
list(SORT exported)
set(wanted ${expected})
list(SORT wanted)
if(NOT exported STREQUAL wanted)
  fail("exports are [${exported}], expected [${wanted}]")
endif()
foreach(name IN LISTS exported)
  if(name MATCHES "@|^_")
    fail("export ${name} is decorated")
  endif()
endforeach()

# The stdcall argument sizes of the entry points (32-bit): 4 bytes per
# argument, pointers, handles and 32-bit integers alike.
if(DECORATED_DEF)
  file(READ ${DECORATED_DEF} decorated)
  foreach(entry supplier_export@20 price_export@20 price_export_to_file@8 order_export@24
                waybill_export@24 waybill_export_ToPath@32 order_import@28
                order_import_from_file@16 pharmex_set_failure_mode@4)
    if(NOT decorated MATCHES "\n  ${entry}\n")
      fail("the compiler's decoration of ${entry} differs: ${decorated}")
    endif()
  endforeach()
  execute_process(COMMAND ${NM} ${LIB} OUTPUT_VARIABLE symbols)
  string(REGEX MATCHALL "\n  [^\n]+" lines "${decorated}")
  foreach(line IN LISTS lines)
    string(STRIP "${line}" symbol)
    if(symbol MATCHES "^[A-Za-z]" AND NOT symbols MATCHES " T _${symbol}\n")
      fail("the import library lacks _${symbol}")
    endif()
  endforeach()
endif()

# Imports: DLLs of Windows itself, nothing of the compiler's runtime
# (libstdc++-6.dll, libgcc_s_*.dll, libwinpthread-1.dll).
set(system_dlls KERNEL32.dll USER32.dll ADVAPI32.dll OLEAUT32.dll OLE32.dll msvcrt.dll
                GDI32.dll SHELL32.dll COMCTL32.dll)
string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${dump}")
if(NOT imports)
  fail("no imports found")
endif()
foreach(entry IN LISTS imports)
  string(REGEX REPLACE "^DLL Name: " "" dll "${entry}")
  string(TOUPPER "${dll}" upper)
  set(known OFF)
  foreach(system IN LISTS system_dlls)
    string(TOUPPER "${system}" system_upper)
    if(upper STREQUAL system_upper)
      set(known ON)
    endif()
  endforeach()
  if(NOT known)
    fail("imports ${dll}, which Windows does not ship")
  endif()
endforeach()

# The DLL characteristics: NO_SEH (0x0400) would make 32-bit Windows refuse
# every handler of the DLL, the host call guard's among them.
string(REGEX MATCH "DllCharacteristics[ \t]+([0-9a-fA-F]+)" characteristics "${dump}")
if(NOT CMAKE_MATCH_1)
  fail("no DllCharacteristics in the header")
else()
  math(EXPR no_seh "0x${CMAKE_MATCH_1} & 0x0400")
  if(no_seh)
    fail("the DLL is marked NO_SEH (DllCharacteristics ${CMAKE_MATCH_1})")
  endif()
endif()

# 32-bit: no load configuration either, whose SafeSEH table, were it there,
# would have to list the guard's handler.
if(DECORATED_DEF AND NOT dump MATCHES "Entry a 00000000 00000000 Load Configuration Directory")
  fail("the DLL has a load configuration (a SafeSEH table would refuse the guard's handler)")
endif()

# Resources: a group icon named MAINICON (type 14) and a version (type 16).
if(NOT dump MATCHES "Entry: ID: 0x00000e[^\n]*\n[^\n]*\n[^\n]*name: [^\n]*: MAINICON")
  fail("no icon resource MAINICON")
endif()
if(NOT dump MATCHES "Entry: ID: 0x000010")
  fail("no version resource")
endif()
file(READ ${DLL} bytes HEX)
set(version_hex)
string(LENGTH "${VERSION}" length)
math(EXPR last "${length} - 1")
foreach(i RANGE ${last})
  string(SUBSTRING "${VERSION}" ${i} 1 c)
  string(HEX "${c}" hex)
  string(APPEND version_hex "${hex}00")
endforeach()
# "FileVersion" in UTF-16, its padding, then the version text.
if(NOT bytes MATCHES "460069006c006500560065007200730069006f006e000000(0000)?${version_hex}0000")
  fail("the version resource does not carry ${VERSION}")
endif()

# A host linked through the import library names the plain exports.
if(HOST)
  execute_process(COMMAND ${OBJDUMP} -p ${HOST} OUTPUT_VARIABLE host_dump)
  string(REGEX MATCH "DLL Name: pharmex.dll\n(([^\n]+\n)*)" host_table "${host_dump}")
  set(host_imports "${CMAKE_MATCH_1}")
  foreach(name supplier_export waybill_export_ToPath order_import_from_file)
    if(NOT host_imports MATCHES "[ \t]${name}\n")
      fail("a host linked to pharmex.lib does not import ${name} by its plain name")
    endif()
  endforeach()
endif()

if(failures)
  list(JOIN failures "\n  " text)
  message(FATAL_ERROR "pharmex.dll:\n  ${text}")
endif()
list(LENGTH exported count)
message(STATUS "${DLL}: ${count} exports, imports and resources as expected")
