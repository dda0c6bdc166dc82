# Cross-building the Windows DLL and the stand-in host program for 64-bit
# Windows with Debian's mingw-w64.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/MingwW64.cmake)
