// The few C library functions the shipped program calls, or the compiler
// calls for it, over the process heap and plain loops. The program imports
// no C runtime DLL: msvcrt.dll is missing from the first releases of
// Windows 95. Linked into the installer programs only; the test programs
// keep the C runtime.
#include <stddef.h>
#include <windows.h>

extern "C"
{

    void* malloc(size_t size)
    {
        return HeapAlloc(GetProcessHeap(), 0, size ? size : 1);
    }

    void* calloc(size_t count, size_t size)
    {
        if (size != 0 && count > (size_t)-1 / size)
            return NULL;
        size_t total = count * size;
        return HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, total ? total : 1);
    }

    void free(void* block)
    {
        if (block)
            HeapFree(GetProcessHeap(), 0, block);
    }

    void* realloc(void* block, size_t size)
    {
        if (!block)
            return malloc(size);
        return HeapReAlloc(GetProcessHeap(), 0, block, size ? size : 1);
    }

    // String moves run as rep movsb / rep stosb: a few bytes of code, and as fast
    // as anything on the processors that have the fast string microcode.
    void* memcpy(void* to, const void* from, size_t count)
    {
        void* d = to;
        __asm__ volatile("rep movsb" : "+D"(d), "+S"(from), "+c"(count) : : "memory");
        return to;
    }

    void* memmove(void* to, const void* from, size_t count)
    {
        if ((const char*)to <= (const char*)from || (const char*)to >= (const char*)from + count)
            return memcpy(to, from, count);
        // Overlapping with the target above the source: copy from the top down.
        char* d = (char*)to + count - 1;
        const char* s = (const char*)from + count - 1;
        __asm__ volatile("std\n\trep movsb\n\tcld" : "+D"(d), "+S"(s), "+c"(count) : : "memory");
        return to;
    }

    void* memset(void* to, int value, size_t count)
    {
        void* d = to;
        __asm__ volatile("rep stosb" : "+D"(d), "+c"(count) : "a"(value) : "memory");
        return to;
    }

    int memcmp(const void* a, const void* b, size_t count)
    {
        const unsigned char* p = (const unsigned char*)a;
        const unsigned char* q = (const unsigned char*)b;
        for (; count > 0; --count, ++p, ++q)
            if (*p != *q)
                return *p - *q;
        return 0;
    }

    void* memchr(const void* block, int c, size_t count)
    {
        const unsigned char* p = (const unsigned char*)block;
        for (; count > 0; --count, ++p)
            if (*p == (unsigned char)c)
                return (void*)p;
        return NULL;
    }

    size_t strlen(const char* text)
    {
        const char* p = text;
        while (*p)
            ++p;
        return (size_t)(p - text);
    }

    size_t strnlen(const char* text, size_t limit)
    {
        size_t n = 0;
        while (n < limit && text[n])
            ++n;
        return n;
    }

    char* strchr(const char* text, int c)
    {
        for (;; ++text)
        {
            if (*text == (char)c)
                return (char*)text;
            if (!*text)
                return NULL;
        }
    }

    char* strrchr(const char* text, int c)
    {
        const char* found = NULL;
        for (;; ++text)
        {
            if (*text == (char)c)
                found = text;
            if (!*text)
                return (char*)found;
        }
    }

    int strncmp(const char* a, const char* b, size_t count)
    {
        for (; count > 0; --count, ++a, ++b)
            if (*a != *b || !*a)
                return (unsigned char)*a - (unsigned char)*b;
        return 0;
    }

    int strcmp(const char* a, const char* b)
    {
        return strncmp(a, b, (size_t)-1);
    }
}
