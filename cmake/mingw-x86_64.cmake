# 64-bit Windows: the same sources, for hosts whose kernel cannot run 32-bit programs
# (Wine 8 needs a 32-bit Linux loader for 32-bit Windows programs).
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TOOLCHAIN_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
