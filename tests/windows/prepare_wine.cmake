# Sets Wine up for the tests: the Russian locale compiled into a folder of
# the build (Wine takes its ANSI and OEM code pages, 1251 and 866, from it),
# a prefix of our own under the build folder (made on first use, which takes
# a minute), and the "null" graphics driver, so that windows exist without a
# display. ARCH is the prefix's Windows: win64 (where 32-bit programs run
# too, as on most pharmacies' computers) or win32 (32-bit Windows only).
#   cmake -DWINE=wine64 -DPREFIX=... -DARCH=win64 -DLOCALES=... -P prepare_wine.cmake
if(NOT EXISTS ${LOCALES}/ru_RU.UTF-8/LC_CTYPE)
  file(MAKE_DIRECTORY ${LOCALES})
  execute_process(COMMAND localedef -i ru_RU -f UTF-8 ${LOCALES}/ru_RU.UTF-8
                  RESULT_VARIABLE rc ERROR_VARIABLE errors)
  if(NOT EXISTS ${LOCALES}/ru_RU.UTF-8/LC_CTYPE)
    message(FATAL_ERROR "localedef failed (${rc}): ${errors} (Debian package: locales)")
  endif()
endif()

if(NOT ARCH)
  set(ARCH win64)
endif()
set(ENV{WINEPREFIX} ${PREFIX})
set(ENV{WINEARCH} ${ARCH})
set(ENV{WINEDEBUG} -all)
set(ENV{WINEDLLOVERRIDES} "mscoree,mshtml=")
set(ENV{LOCPATH} ${LOCALES})
set(ENV{LANG} ru_RU.UTF-8)
set(ENV{LC_ALL} ru_RU.UTF-8)
if(EXISTS ${PREFIX}/system.reg)
  file(STRINGS ${PREFIX}/system.reg made_for REGEX "^#arch=")
  if(NOT made_for STREQUAL "#arch=${ARCH}")
    file(REMOVE_RECURSE ${PREFIX})  # a prefix of the other Windows: make it again
  endif()
endif()
if(NOT EXISTS ${PREFIX}/system.reg)
  execute_process(COMMAND ${WINE} wineboot --init RESULT_VARIABLE rc OUTPUT_VARIABLE output
                  ERROR_VARIABLE output)
  if(NOT EXISTS ${PREFIX}/system.reg)
    message(FATAL_ERROR "wineboot could not make the ${ARCH} prefix ${PREFIX} (${rc}): ${output}")
  endif()
endif()
execute_process(COMMAND ${WINE} reg add "HKCU\\Software\\Wine\\Drivers" /v Graphics /d null /f
                RESULT_VARIABLE rc OUTPUT_QUIET)
if(rc)
  message(FATAL_ERROR "could not choose Wine's null graphics driver (${rc})")
endif()
