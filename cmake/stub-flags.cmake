# Size habits for the stub: no C runtime start-up, no unwinding tables, dead code
# removed at link time, stripped. The stub enters at TavoBoot (boot/boot_win32.cpp),
# which goes on to TavoEntry (driver/entry_win32.cpp).
# clang's -Oz with link-time optimisation (lld links it, cmake/clang-mingw.cmake;
# GNU ld for PE cannot) makes the stub a fifth smaller than gcc's -Os did.
set(TAVO_STUB_TARGET_FLAGS
  -Oz -flto -ffunction-sections -fdata-sections -fno-asynchronous-unwind-tables
  -fno-unwind-tables -fno-stack-protector -fno-threadsafe-statics -fno-ident)

if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
  set(TAVO_STUB_ENTRY _TavoBoot)
else()
  set(TAVO_STUB_ENTRY TavoBoot)
endif()

set(TAVO_STUB_LINK_FLAGS
  -nostartfiles -nostdlib -static -s -mwindows
  -Wl,--gc-sections -Wl,-e,${TAVO_STUB_ENTRY} -Wl,--enable-stdcall-fixup)

# Import libraries only: every Windows version has these DLLs.
set(TAVO_STUB_SYSTEM_LIBS
  user32 gdi32 shell32 ole32 oleaut32 advapi32 kernel32 msvcrt gcc)
