# Size habits for the stub: no C runtime start-up, no unwinding tables, the
# whole program optimised at link time (which also drops what nothing calls),
# stripped. The stub enters at TavoEntry (driver/entry_win32.cpp).
# Functions called once stay functions: merged into their callers they make a
# few huge frames, whose locals then need long displacements (3 KB less code).
set(TAVO_STUB_TARGET_FLAGS
  -Os -flto -ffunction-sections -fdata-sections -fno-asynchronous-unwind-tables
  -fno-unwind-tables -fno-stack-protector -fno-threadsafe-statics -fno-ident
  -fno-inline-functions-called-once -fconserve-stack)

# The modules' archives hold LTO objects, which only the compiler's wrappers
# of ar and ranlib index.
if(CMAKE_CXX_COMPILER_AR AND CMAKE_CXX_COMPILER_RANLIB)
  set(CMAKE_AR ${CMAKE_CXX_COMPILER_AR})
  set(CMAKE_RANLIB ${CMAKE_CXX_COMPILER_RANLIB})
endif()

if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
  set(TAVO_STUB_ENTRY _TavoEntry)
else()
  set(TAVO_STUB_ENTRY TavoEntry)
endif()

# What every program linked from the stub's modules needs (the stub, the UI
# demo): the link-time optimisation in one partition (the default split into
# several loses clones across partitions here), and no base relocations. An
# executable is always loaded at its preferred base, so it needs none; and ld
# 2.40 crashes writing them for an LTO link. The image is then marked fixed
# (relocations stripped, no dynamic base); the payload reader finds its section
# from the module handle, whatever the base.
set(TAVO_STUB_LTO_LINK_FLAGS
  -Os -flto -flto-partition=one -Wl,--disable-reloc-section)

# No -ffunction-sections here: each function's own section would be padded.
set(TAVO_STUB_LINK_FLAGS
  ${TAVO_STUB_LTO_LINK_FLAGS} -nostartfiles -nostdlib -static -s -mwindows
  -Wl,--gc-sections -Wl,-e,${TAVO_STUB_ENTRY} -Wl,--enable-stdcall-fixup)

# Import libraries only: every Windows version has these DLLs.
set(TAVO_STUB_SYSTEM_LIBS
  user32 gdi32 shell32 ole32 oleaut32 advapi32 comctl32 kernel32 msvcrt gcc)
