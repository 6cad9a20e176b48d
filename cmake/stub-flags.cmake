# Size habits for the stub: no C runtime start-up, no unwinding tables, dead code
# removed at link time, stripped. The stub enters at TavoEntry (driver/entry_win32.cpp).
# Functions called once stay functions: merged into their callers they make a
# few huge frames, whose locals then need long displacements (3 KB less code).
#
# Not used: link-time optimisation. It takes a fifth off the stub, but ld 2.40
# crashes writing base relocations for an LTO link, and an installer without
# relocations loses address-space randomisation; that is not worth the bytes.
set(TAVO_STUB_TARGET_FLAGS
  -Os -ffunction-sections -fdata-sections -fno-asynchronous-unwind-tables
  -fno-unwind-tables -fno-stack-protector -fno-threadsafe-statics -fno-ident
  -fno-inline-functions-called-once -fconserve-stack)

if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
  set(TAVO_STUB_ENTRY _TavoEntry)
else()
  set(TAVO_STUB_ENTRY TavoEntry)
endif()

set(TAVO_STUB_LINK_FLAGS
  -nostartfiles -nostdlib -static -s -mwindows
  -Wl,--gc-sections -Wl,-e,${TAVO_STUB_ENTRY} -Wl,--enable-stdcall-fixup)

# Import libraries only: every Windows version has these DLLs.
set(TAVO_STUB_SYSTEM_LIBS
  user32 gdi32 shell32 ole32 oleaut32 advapi32 kernel32 msvcrt gcc)
