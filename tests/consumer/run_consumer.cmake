# Builds and runs the consumer project against an installed pharmex, as a
# packager's user would build a host: through the CMake package (asking for
# exactly VERSION) and through pkg-config. Checks that pharmex.pc names the
# same library and version and that the generated version header is there.
#
#   -DBUILD_DIR=...  installs the library from that build folder into a
#                    scratch prefix under WORK_DIR first (the test suite);
#   without it       the library installed on the system is used (the
#                    Debian packages, in CI).
set(prefix "${WORK_DIR}/prefix")
file(REMOVE_RECURSE "${WORK_DIR}")
if(BUILD_DIR)
  execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${prefix}"
                  RESULT_VARIABLE rc OUTPUT_QUIET)
  if(rc)
    message(FATAL_ERROR "install failed: ${rc}")
  endif()
  set(prefix_path -DCMAKE_PREFIX_PATH=${prefix})
  file(GLOB pc_dirs "${prefix}/lib*/pkgconfig" "${prefix}/lib/*/pkgconfig")
  set(ENV{PKG_CONFIG_PATH} "${pc_dirs}")
  set(include_root "${prefix}/include")
  # pharmex.pc names the prefix the build was configured for.
  set(pc_prefix "--define-variable=prefix=${prefix}")
else()
  set(prefix_path)
  set(include_root "/usr/include")
  set(pc_prefix)
endif()

execute_process(COMMAND "${CMAKE_COMMAND}" -S "${SOURCE_DIR}" -B "${WORK_DIR}/build"
                        ${prefix_path} -DPHARMEX_EXPECTED_VERSION=${VERSION}
                RESULT_VARIABLE rc)
if(rc)
  message(FATAL_ERROR "configure failed: ${rc}")
endif()
execute_process(COMMAND "${CMAKE_COMMAND}" --build "${WORK_DIR}/build" RESULT_VARIABLE rc)
if(rc)
  message(FATAL_ERROR "build failed: ${rc}")
endif()
execute_process(COMMAND "${WORK_DIR}/build/consumer" RESULT_VARIABLE rc)
if(rc)
  message(FATAL_ERROR "consumer failed: ${rc}")
endif()

# pkg-config: the version, the flags, and a consumer built with them alone.
find_program(PKG_CONFIG pkg-config)
find_program(CC NAMES cc gcc)
if(NOT PKG_CONFIG OR NOT CC)
  message(FATAL_ERROR "the pkg-config consumer needs pkg-config and a C compiler")
endif()
execute_process(COMMAND "${PKG_CONFIG}" ${pc_prefix} --modversion pharmex OUTPUT_VARIABLE pc_version
                OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE rc)
if(rc OR NOT pc_version STREQUAL VERSION)
  message(FATAL_ERROR "pkg-config finds pharmex ${pc_version}, not ${VERSION}")
endif()
execute_process(COMMAND "${PKG_CONFIG}" ${pc_prefix} --cflags --libs pharmex OUTPUT_VARIABLE pc_flags
                OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE rc)
if(rc OR NOT pc_flags MATCHES "-lpharmex")
  message(FATAL_ERROR "pharmex.pc does not link -lpharmex: ${pc_flags}")
endif()
separate_arguments(pc_flags UNIX_COMMAND "${pc_flags}")
execute_process(COMMAND "${CC}" "${SOURCE_DIR}/consumer.c" ${pc_flags}
                        -o "${WORK_DIR}/pkg-config-consumer"
                RESULT_VARIABLE rc)
if(rc)
  message(FATAL_ERROR "the pkg-config build failed: ${rc}")
endif()
# The scratch prefix is no directory the loader searches.
set(ENV{LD_LIBRARY_PATH} "")
if(BUILD_DIR)
  file(GLOB lib_dirs LIST_DIRECTORIES true "${prefix}/lib*" "${prefix}/lib/*-linux-gnu")
  list(JOIN lib_dirs ":" lib_path)
  set(ENV{LD_LIBRARY_PATH} "${lib_path}")
endif()
execute_process(COMMAND "${WORK_DIR}/pkg-config-consumer" RESULT_VARIABLE rc)
if(rc)
  message(FATAL_ERROR "the pkg-config consumer failed: ${rc}")
endif()

if(NOT EXISTS "${include_root}/pharmex/version.h")
  message(FATAL_ERROR "no pharmex/version.h installed under ${include_root}")
endif()
