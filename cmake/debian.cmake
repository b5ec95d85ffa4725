# The Debian packages (scripts/package-debian.sh), made by CPack's DEB
# generator from the install rules' components:
#
#   libpharmex0     runtime      the shared library under its SONAME
#   libpharmex-dev  development  the headers, the CMake package, pharmex.pc,
#                                the libpharmex.so link, the Pascal unit
#   pharmex         tool         the command-line tool, its man page, the
#                                examples
#
# Each package carries its copyright file and changelog; dpkg-shlibdeps finds
# the dependencies on the system's libraries, and libpharmex0 declares its
# shlibs and the ldconfig trigger. Configure with CMAKE_INSTALL_PREFIX=/usr.
set(PHARMEX_MAINTAINER "pharmex developers <pharmex@kestrova.invalid>" CACHE STRING
  "The Maintainer of the Debian packages: Name <address>")

set(PHARMEX_DEB_PACKAGES runtime:libpharmex0 development:libpharmex-dev tool:pharmex)
string(TIMESTAMP PHARMEX_DEB_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
find_program(PHARMEX_GZIP gzip REQUIRED)
foreach(entry IN LISTS PHARMEX_DEB_PACKAGES)
  string(REPLACE ":" ";" entry "${entry}")
  list(GET entry 0 component)
  list(GET entry 1 PHARMEX_DEB_PACKAGE)
  set(docs ${PROJECT_BINARY_DIR}/debian/${PHARMEX_DEB_PACKAGE})
  configure_file(${CMAKE_CURRENT_LIST_DIR}/debian/changelog.in ${docs}/changelog @ONLY)
  # Debian keeps changelogs compressed, without a time stamp in the gzip header.
  execute_process(COMMAND ${PHARMEX_GZIP} -9 -n -f -k ${docs}/changelog COMMAND_ERROR_IS_FATAL ANY)
  install(FILES ${CMAKE_CURRENT_LIST_DIR}/debian/copyright ${docs}/changelog.gz
    DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${PHARMEX_DEB_PACKAGE} COMPONENT ${component})
endforeach()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME pharmex)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "the pharmex developers")
set(CPACK_PACKAGE_CONTACT "${PHARMEX_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${PHARMEX_MAINTAINER}")
set(CPACK_OUTPUT_FILE_PREFIX ${PROJECT_BINARY_DIR}/packages)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL runtime development tool)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

# Each package's description is its component's: the first line the
# synopsis, then the paragraphs (an empty line between two). CPack puts
# CPACK_PACKAGE_DESCRIPTION_SUMMARY in front of it unless that is CPack's
# own default, which it is made here.
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_NAME} built using CMake")
set(PHARMEX_DEB_ABOUT "pharmex is the library a pharmacy-purchasing application loads to exchange
documents with partner systems: it writes supplier lists, price lists,
orders and waybills as dBase IV tables or partners' text files, and merges
partners' order files into an order, through its own file dialog and table
engine.")

set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME libpharmex0)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_CONTROL_EXTRA ${CMAKE_CURRENT_LIST_DIR}/debian/triggers)
set(CPACK_COMPONENT_RUNTIME_DESCRIPTION "pharmacy data exchange: dBase IV tables and partner text files
${PHARMEX_DEB_ABOUT}

This package holds the shared library.")

set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_NAME libpharmex-dev)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_DEPENDS "libpharmex0 (= ${PROJECT_VERSION})")
set(CPACK_COMPONENT_DEVELOPMENT_DESCRIPTION "pharmacy data exchange: development files
${PHARMEX_DEB_ABOUT}

This package holds the C headers a host application is built against, the
CMake package (find_package(pharmex), pharmex::pharmex), the pkg-config file
pharmex.pc and the Pascal unit for hosts written in Pascal.")

set(CPACK_DEBIAN_TOOL_PACKAGE_NAME pharmex)
set(CPACK_DEBIAN_TOOL_PACKAGE_SECTION utils)
set(CPACK_COMPONENT_TOOL_DESCRIPTION "pharmacy data exchange: command-line tool
${PHARMEX_DEB_ABOUT}

The pharmex command is a host application in a terminal: it exports host
data kept in CSV files through the library, imports partners' order files,
shows dBase tables and validates tables and partner text files against the
library's layouts.")

include(CPack)
