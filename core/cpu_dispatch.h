// On x86-64 ELF, GCC and Clang build a marked function once per instruction set and let the
// loader pick the best for the processor when the program starts: the product stays portable
// and still gets wide vectors where the processor has them. Sanitizer builds keep the baseline
// code only, so that the tests exercise it too.
#pragma once

#if defined(__x86_64__) && defined(__ELF__) && !defined(VARNELLO_NO_CPU_DISPATCH)
#if defined(__clang__)
#define VARNELLO_ROW_CLONES __attribute__((target_clones("avx2", "default")))
#elif defined(__GNUC__)
#define VARNELLO_ROW_CLONES __attribute__((target_clones("arch=x86-64-v4", "avx2", "default")))
#endif
#endif
#ifndef VARNELLO_ROW_CLONES
#define VARNELLO_ROW_CLONES
#endif
