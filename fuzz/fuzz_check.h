// Stops a fuzz run on a broken property: prints what broke on standard
// output (fuzz.sh closes standard error, which the engine reports on) and
// aborts, which libFuzzer takes for a crash and saves the input of.
#ifndef TREMLOK_FUZZ_FUZZ_CHECK_H
#define TREMLOK_FUZZ_FUZZ_CHECK_H

#include <stdio.h>
#include <stdlib.h>

#define FUZZ_CHECK(condition, ...)                                                                 \
    ((condition)                                                                                   \
         ? (void)0                                                                                 \
         : (printf("fuzz check failed: " __VA_ARGS__), printf("\n"), fflush(stdout), abort()))

#endif
