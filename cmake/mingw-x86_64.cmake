# Cross-compiling for 64-bit Windows with Debian's mingw-w64 (the posix thread
# model, whose libstdc++ has std::thread and std::mutex):
#   cmake -S . -B build-win64 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake
set(PHARMEX_MINGW_TRIPLET x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
