# Cross build for 64-bit Windows with mingw-w64 (POSIX thread model):
#   cmake -S . -B build-win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake
# The programs are linked statically so that they run without any DLL of the compiler.

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(QUILLON_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${QUILLON_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QUILLON_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${QUILLON_MINGW_TRIPLE}-windres)

# Libraries and headers come from the mingw-w64 tree only, never from the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${QUILLON_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Boost.Regex is header-only, and the Debian headers serve both builds. Adding
# /usr/include itself would let the cross compiler pick up Linux headers, so the build
# folder gets a folder that holds nothing but a link named boost.
get_property(_quillon_in_try_compile GLOBAL PROPERTY IN_TRY_COMPILE)
if(NOT _quillon_in_try_compile)
  set(QUILLON_HOST_BOOST /usr/include/boost CACHE PATH "The boost/ header folder to use")
  set(_quillon_boost_dir "${CMAKE_BINARY_DIR}/boost-include")
  if(NOT EXISTS "${_quillon_boost_dir}/boost/version.hpp")
    if(NOT EXISTS "${QUILLON_HOST_BOOST}/version.hpp")
      message(FATAL_ERROR "Boost headers not found in ${QUILLON_HOST_BOOST} (install libboost1.81-dev)")
    endif()
    file(MAKE_DIRECTORY "${_quillon_boost_dir}")
    file(REMOVE "${_quillon_boost_dir}/boost")
    file(CREATE_LINK "${QUILLON_HOST_BOOST}" "${_quillon_boost_dir}/boost" SYMBOLIC)
  endif()
  set(QUILLON_BOOST_INCLUDE "${_quillon_boost_dir}" CACHE PATH
      "Folder holding boost/ when it is not on the default path")
endif()
