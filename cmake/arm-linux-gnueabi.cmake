# Cross build for 32-bit ARMv6 Linux with VFP floating point (the small boards
# Talvik runs on), as one static executable:
#   cmake -S . -B build/arm -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/arm-linux-gnueabi.cmake
#   cmake --build build/arm --target talvik
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR arm)
set(CMAKE_C_COMPILER arm-linux-gnueabi-gcc)
set(CMAKE_CXX_COMPILER arm-linux-gnueabi-g++)
set(CMAKE_CXX_FLAGS_INIT "-march=armv6 -mfpu=vfp -mfloat-abi=softfp -pthread")
set(CMAKE_C_FLAGS_INIT "-march=armv6 -mfpu=vfp -mfloat-abi=softfp -pthread")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -pthread")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Unit tests are off by default; with -DTALVIK_TESTS=ON and
# -DTALVIK_GTEST_SOURCE=/usr/src/googletest they build for ARM and run under
# qemu-arm (CMAKE_CROSSCOMPILING_EMULATOR).
set(TALVIK_TESTS OFF CACHE BOOL "Build the unit tests")
set(TALVIK_BENCHMARKS OFF CACHE BOOL "" FORCE)
set(TALVIK_STATIC ON CACHE BOOL "" FORCE)
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-arm -cpu arm1176 CACHE STRING "")
