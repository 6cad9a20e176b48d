// 64-bit division done with 32-bit instructions: what the 32-bit stub links in
// place of the run-time library's routines (driver/runtime_win32.cpp), which
// are several times larger and bring unwinding tables with them.
// Quotients are rounded towards zero; a remainder has the dividend's sign, as
// with the built-in operators. A zero divisor is a fault, as it is there.
#pragma once
#include <stdint.h>

uint64_t divideUnsigned64(uint64_t dividend, uint64_t divisor, uint64_t& remainder);
int64_t divideSigned64(int64_t dividend, int64_t divisor, int64_t& remainder);
