# 32-bit Windows 95 build. The win32 threading model keeps the runtime from
# importing functions that Windows 95 lacks. Its programs run under Wine's
# 32-bit half, where this machine runs 32-bit code (scripts/probe-32bit.sh).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-win32)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-win32)
set(CMAKE_RC_COMPILER i686-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run)

# The disc promises a 486 DX2: Debian's compiler defaults to the Pentium Pro
# and would use CMOVcc and FCOMI, which fault on a 486.
set(CMAKE_C_FLAGS_INIT "-march=i486")
set(CMAKE_CXX_FLAGS_INIT "-march=i486")
