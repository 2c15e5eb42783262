// Stopping a fuzz run on a broken property, with a message that says which.
#ifndef TREMLOK_FUZZ_FUZZ_CHECK_H
#define TREMLOK_FUZZ_FUZZ_CHECK_H

// Prints "fuzz check failed: <message>" and aborts, which libFuzzer reports
// as a crash and saves the input for.
[[noreturn]] void FuzzFail(const char* format, ...)
#ifdef __GNUC__
    __attribute__((format(printf, 1, 2)))
#endif
    ;

#define FUZZ_CHECK(condition, ...)                                                                 \
    do                                                                                             \
    {                                                                                              \
        if (!(condition))                                                                          \
            FuzzFail(__VA_ARGS__);                                                                 \
    } while (0)

// Sends FuzzFail's messages and the sanitizers' reports to fd instead of
// standard error, for a target that silences standard error.
void FuzzSetReportFd(int fd);

#endif
