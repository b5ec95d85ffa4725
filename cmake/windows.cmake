# The Windows build of the library: pharmex.dll with the runtime linked in,
# the exports of cmake/pharmex.def under their plain names, an import library
# made by dlltool, and the version and icon resources. Included by the
# top-level CMakeLists.txt when the target system is Windows (the mingw-w64
# toolchain files cmake/mingw-i686.cmake and cmake/mingw-x86_64.cmake).
enable_language(RC)

# The Win32 API in its UTF-16 form, for Windows 7 and later.
target_compile_definitions(pharmex_objects PUBLIC
  UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
target_link_libraries(pharmex_objects PUBLIC oleaut32 advapi32 user32 gdi32 comctl32 shell32)
# The DLL links the objects, not the object library: name the system's
# libraries again (the dialog's window needs the common controls).
target_link_libraries(pharmex PRIVATE oleaut32 advapi32 user32 gdi32 comctl32 shell32)

set(PHARMEX_WIN32 OFF)
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(PHARMEX_WIN32 ON)
endif()

# pharmex.dll, not libpharmex.dll: hosts load it by that name.
set_target_properties(pharmex PROPERTIES PREFIX "" OUTPUT_NAME pharmex
  RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR})
# libstdc++, libgcc and winpthread go inside the DLL, so that it imports
# only DLLs that every Windows has (checked by tests/windows/check_dll.cmake).
target_link_options(pharmex PRIVATE -static -static-libgcc -static-libstdc++)

# The module definition: on 32-bit Windows the export list with each name's
# stdcall decoration read from the compiled objects, linked with --kill-at so
# that the DLL exports the plain names; on 64-bit Windows the list as it is.
set(PHARMEX_EXPORT_LIST ${PROJECT_SOURCE_DIR}/cmake/pharmex.def)
if(PHARMEX_WIN32)
  set(PHARMEX_DEF ${PROJECT_BINARY_DIR}/pharmex-decorated.def)
  add_custom_command(OUTPUT ${PHARMEX_DEF}
    COMMAND ${CMAKE_COMMAND} -DNM=${CMAKE_NM} -DLIST=${PHARMEX_EXPORT_LIST} -DOUT=${PHARMEX_DEF}
            "-DOBJECTS=$<JOIN:$<TARGET_OBJECTS:pharmex_objects>,|>"
            -P ${PROJECT_SOURCE_DIR}/cmake/decorate_exports.cmake
    DEPENDS $<TARGET_OBJECTS:pharmex_objects> ${PHARMEX_EXPORT_LIST}
            ${PROJECT_SOURCE_DIR}/cmake/decorate_exports.cmake
    COMMENT "Reading the stdcall decorations of the exports" VERBATIM)
  target_link_options(pharmex PRIVATE -Wl,--kill-at)
  set(PHARMEX_DLLTOOL_FLAGS --kill-at)
else()
  set(PHARMEX_DEF ${PHARMEX_EXPORT_LIST})
  set(PHARMEX_DLLTOOL_FLAGS)
endif()
target_sources(pharmex PRIVATE ${PHARMEX_DEF})

# Resources: the version of the project and the icon "MAINICON".
set(PHARMEX_ICON_FILE ${PROJECT_SOURCE_DIR}/cmake/windows/pharmex.ico)
configure_file(${PROJECT_SOURCE_DIR}/cmake/windows/pharmex.rc.in ${PROJECT_BINARY_DIR}/pharmex.rc
  @ONLY)
target_sources(pharmex PRIVATE ${PROJECT_BINARY_DIR}/pharmex.rc)
set_source_files_properties(${PROJECT_BINARY_DIR}/pharmex.rc PROPERTIES
  OBJECT_DEPENDS ${PHARMEX_ICON_FILE})

# The import library for hosts that link to the DLL, from the same module
# definition. pharmex.lib serves GNU linkers (-lpharmex finds it) and
# Microsoft's alike.
set(PHARMEX_IMPORT_LIBRARY ${PROJECT_BINARY_DIR}/pharmex.lib)
add_custom_command(TARGET pharmex POST_BUILD
  COMMAND ${CMAKE_DLLTOOL} ${PHARMEX_DLLTOOL_FLAGS} --dllname pharmex.dll
          --input-def ${PHARMEX_DEF} --output-lib ${PHARMEX_IMPORT_LIBRARY}
  BYPRODUCTS ${PHARMEX_IMPORT_LIBRARY}
  COMMENT "Making the import library pharmex.lib" VERBATIM)

# Hosts built in this tree link through that import library, as hosts outside do.
add_library(pharmex_import INTERFACE)
add_dependencies(pharmex_import pharmex)
target_include_directories(pharmex_import INTERFACE ${PROJECT_SOURCE_DIR}/include
  ${PHARMEX_GENERATED_INCLUDE})
target_link_libraries(pharmex_import INTERFACE ${PHARMEX_IMPORT_LIBRARY})

install(FILES ${PHARMEX_IMPORT_LIBRARY} DESTINATION ${CMAKE_INSTALL_LIBDIR})
