# Writes the module definition of the 32-bit Windows DLL: every name of the
# export list with the stdcall decoration the compiler gave it
# (supplier_export@20: 20 bytes of arguments). The linker exports the names
# undecorated (--kill-at) and dlltool builds an import library from the same
# file, so a host that declares an entry point with the wrong argument list
# fails to link instead of corrupting its stack.
#   cmake -DNM=... -DLIST=pharmex.def -DOUT=decorated.def -DOBJECTS=a.obj|b.obj -P decorate_exports.cmake
include(${CMAKE_CURRENT_LIST_DIR}/export_names.cmake)
pharmex_export_names(${LIST} names)
string(REPLACE "|" ";" objects "${OBJECTS}")
execute_process(COMMAND ${NM} -g --defined-only ${objects}
                OUTPUT_VARIABLE symbols RESULT_VARIABLE rc)
if(rc)
  message(FATAL_ERROR "${NM} failed: ${rc}")
endif()
set(text "LIBRARY pharmex.dll\nEXPORTS\n")
foreach(name IN LISTS names)
  string(REGEX MATCH "[ \t]T _${name}(@[0-9]+)?\n" found "${symbols}")
  if(NOT found)
    message(FATAL_ERROR "no function ${name} in the library's objects")
  endif()
  string(REGEX REPLACE "^[ \t]T _([^\n]*)\n$" "\\1" decorated "${found}")
  string(APPEND text "  ${decorated}\n")
endforeach()
file(WRITE ${OUT}.new "${text}")
execute_process(COMMAND ${CMAKE_COMMAND} -E copy_if_different ${OUT}.new ${OUT})
file(REMOVE ${OUT}.new)
