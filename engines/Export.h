#pragma once

// Declaration helpers for the functions libtallowin.so exports.
//
// The exports keep their historical names and take fixed-width integers. The
// callee-cleans convention they were written for exists only on 32-bit x86;
// everywhere else the platform has one C calling convention.

#include <cstdint>

#if defined(__i386__)
#define TALLOWIN_CALL __attribute__((stdcall))
#else
#define TALLOWIN_CALL
#endif

#define TALLOWIN_API __attribute__((visibility("default")))
