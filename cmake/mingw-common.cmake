# What both mingw-w64 toolchain files share; PHARMEX_MINGW_TRIPLET names the
# target (i686-w64-mingw32 or x86_64-w64-mingw32).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_VERSION 6.1)  # Windows 7: the oldest system the DLL is built for
if(PHARMEX_MINGW_TRIPLET MATCHES "^i686")
  set(CMAKE_SYSTEM_PROCESSOR x86)
else()
  set(CMAKE_SYSTEM_PROCESSOR AMD64)
endif()

set(CMAKE_C_COMPILER ${PHARMEX_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${PHARMEX_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${PHARMEX_MINGW_TRIPLET}-windres)
set(CMAKE_DLLTOOL ${PHARMEX_MINGW_TRIPLET}-dlltool CACHE FILEPATH "dlltool of the target")
set(CMAKE_OBJDUMP ${PHARMEX_MINGW_TRIPLET}-objdump CACHE FILEPATH "objdump of the target")
set(CMAKE_NM ${PHARMEX_MINGW_TRIPLET}-nm CACHE FILEPATH "nm of the target")

set(CMAKE_FIND_ROOT_PATH /usr/${PHARMEX_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Programs built here run under Wine: 64-bit ones under wine64, 32-bit ones
# under Wine's 32-bit loader (on a 64-bit kernel without 32-bit support that
# is qemu's user-mode emulator, which scripts/install-wine32.sh sets up).
if(PHARMEX_MINGW_TRIPLET MATCHES "^x86_64")
  find_program(PHARMEX_WINE NAMES wine64 PATHS /usr/lib/wine NO_DEFAULT_PATH)
  find_program(PHARMEX_WINE NAMES wine64)
else()
  find_program(PHARMEX_WINE NAMES wine PATHS /usr/lib/wine NO_DEFAULT_PATH)
endif()
if(PHARMEX_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${PHARMEX_WINE})
endif()
