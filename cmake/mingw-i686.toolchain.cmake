# 32-bit Windows cross-build with Debian's MinGW-w64 (posix threads flavour,
# so std::thread works), linked statically so the exe needs only system DLLs.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(QM_MINGW_PREFIX i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
