# Cross build for 64-bit Windows with Debian's mingw-w64 (posix thread model,
# so that std::thread and std::mutex exist). Programs and tests run under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(KORVA_MINGW x86_64-w64-mingw32)
# a newcomer without the cross compiler learns the one package it takes
find_program(KORVA_MINGW_CXX ${KORVA_MINGW}-g++-posix)
if(NOT KORVA_MINGW_CXX)
    message(FATAL_ERROR "no ${KORVA_MINGW}-g++-posix: install the package g++-mingw-w64-x86-64 "
                        "(apt-get install g++-mingw-w64-x86-64)")
endif()
set(CMAKE_C_COMPILER ${KORVA_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KORVA_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${KORVA_MINGW}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${KORVA_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# one self-contained .exe each: no MinGW runtime DLLs to carry beside it
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
