# 64-bit Windows build of the same sources. Used to run the test suite where
# the machine cannot execute 32-bit code (see scripts/wine-env.sh).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(ORV_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
