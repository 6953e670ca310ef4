# Shared part of the two MinGW-w64 toolchain files; KQ_MINGW_TRIPLE names the target.
set(CMAKE_C_COMPILER   ${KQ_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KQ_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER  ${KQ_MINGW_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${KQ_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# No DLL beside the programs: the C and C++ runtimes and winpthread are linked in.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
