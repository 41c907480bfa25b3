#pragma once
// NORVIK7_VECTOR_CLONES before a function with vectorisable loops builds it
// also for AVX2 where the processor has it (chosen once at load time); the
// board and other compilers get the one portable build (on the board built for
// NEON: cmake/armhf-toolchain.cmake).
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__) && !defined(__SANITIZE_THREAD__) && \
    !defined(__SANITIZE_ADDRESS__)
// (Not under the sanitizers: their run-time is not ready when the choice is made.)
#define NORVIK7_VECTOR_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define NORVIK7_VECTOR_CLONES
#endif
