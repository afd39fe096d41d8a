# The posix thread model gives std::thread and std::mutex to the Windows builds.
set(CMAKE_C_COMPILER ${QV_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QV_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${QV_TRIPLET}-windres)
# libpng is built from Debian's source package by scripts/build-mingw-libpng.
get_filename_component(_qv_top ${CMAKE_CURRENT_LIST_DIR}/.. ABSOLUTE)
set(QV_MINGW_DEPS ${_qv_top}/build/deps/${QV_TRIPLET})
set(CMAKE_FIND_ROOT_PATH /usr/${QV_TRIPLET} ${QV_MINGW_DEPS})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
