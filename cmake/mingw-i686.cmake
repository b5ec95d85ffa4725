# Cross-compiling for 32-bit Windows with Debian's mingw-w64 (the posix thread
# model, whose libstdc++ has std::thread and std::mutex):
#   cmake -S . -B build-win32 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake
set(PHARMEX_MINGW_TRIPLET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
