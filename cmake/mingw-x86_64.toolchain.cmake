# 64-bit Windows cross-build of the same sources. It is not shipped: it
# carries the Windows tests on machines whose kernel cannot start 32-bit
# programs, Wine's 32-bit loader among them.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(QM_MINGW_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
