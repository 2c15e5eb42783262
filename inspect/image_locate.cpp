// The search: every aligned word is taken as a possible gSizeDatfile, which
// fixes where its image would start and end; cheap byte checks leave few
// candidates, and only those are walked.
#include "inspect/image_locate.h"

#include <string.h>

struct Search
{
    const unsigned char* file;
    LocatedImage* located;
    uint64_t best;              // offset of the earliest whole image; ~0 while none
    uint64_t firstEmpty;        // offset of the earliest empty image; ~0 while none
    uint64_t damagedReach;      // bytes the furthest-reaching damaged walk got through
    uint64_t walked;            // bytes read and decoded by candidates that did not hold
    uint64_t walkBudget;        // more than that, and the search gives up
    const unsigned char* whole; // an image already walked whole, or null
    uint32_t wholeLength;
};

static const uint64_t kNone = ~(uint64_t)0;
static const uint64_t kWalkBudgetPerByte = 4;

// The image of length bytes at offset p of the file, inside section s.
static void TryCandidate(Search* search, const FileRange& s, uint64_t p, uint32_t length)
{
    const unsigned char* file = search->file;
    if (length < kEmptyDataFileLength || p < s.offset || p + length > (uint64_t)s.offset + s.length)
        return;
    // The first name's backslash lies next to the frame, the end marker
    // far away: the near byte is checked first, so that bytes that are not
    // an image cost no read elsewhere in a big file.
    if (length == kEmptyDataFileLength)
    {
        if (file[p + 4] == 0 && p < search->firstEmpty)
            search->firstEmpty = p;
        return;
    }
    if (file[p + 4] != '\\' || file[p + length - 1] != 0)
        return;
    if (p >= search->best || search->walked > search->walkBudget)
        return;
    // A walk depends on the bytes alone: those of an image known whole are whole.
    if (length == search->wholeLength &&
        (file + p == search->whole || memcmp(file + p, search->whole, length) == 0))
    {
        search->best = p;
        search->located->image = {(uint32_t)p, length};
        return;
    }
    WalkStop stop;
    WalkRecords(file + p, file + p + length, false, &stop);
    if (stop.result == kWalkWhole && stop.at == file + p + length)
    {
        search->best = p;
        search->located->image = {(uint32_t)p, length};
        return;
    }
    uint64_t reach = (uint64_t)(stop.at - (file + p));
    search->walked += reach + stop.decoded;
    if (stop.result != kWalkWhole && reach > search->damagedReach)
    {
        search->damagedReach = reach;
        search->located->damage = stop;
    }
}

// gSizeDatfile at q, before the image: only zero words between them.
static void TryAfterSizeWord(Search* search, const FileRange& s, uint64_t q, uint32_t length)
{
    const uint64_t sectionEnd = (uint64_t)s.offset + s.length;
    for (uint64_t p = q + 4; p <= q + 4 + kMaxFramingGap && p + 4 <= sectionEnd; p += 4)
    {
        TryCandidate(search, s, p, length);
        if (ReadLe32(search->file + p) != 0)
            return;
    }
}

// gSizeDatfile at q, after the image: its end marker and padding are the
// zeros before q, so the image ends somewhere in that run, at an end that
// puts its start on a word boundary. zerosBefore is at most kMaxFramingGap.
static void TryBeforeSizeWord(Search* search, const FileRange& s, uint64_t q, uint32_t length,
                              uint32_t zerosBefore)
{
    for (uint32_t gap = 0; gap < zerosBefore; ++gap)
    {
        uint64_t end = q - gap; // one past the end marker at end - 1
        if (end - s.offset >= length && (end - s.offset - length) % 4 == 0)
            TryCandidate(search, s, end - length, length);
    }
}

// Zero bytes just before q in section s, up to kMaxFramingGap: counted
// only where a word could be gSizeDatfile, so that the pass over the
// other words is a load and a compare.
static uint32_t ZerosBefore(const unsigned char* file, const FileRange& s, uint64_t q)
{
    uint32_t n = 0;
    while (n < kMaxFramingGap && q - n > s.offset && file[q - n - 1] == 0)
        ++n;
    return n;
}

// Whether the bytes around a word at q could make it gSizeDatfile, as the
// two tries above read them: the byte after the next word opens an image's
// first name ('\\') or ends an empty image (0), or the next word is zero
// padding, or a zero byte lies just before q, inside the section. Most
// words in range fail this, at the cost of a few loads.
static inline bool MayFrame(const unsigned char* file, const FileRange& s, uint64_t q)
{
    const unsigned char next = file[q + 8];
    return next == '\\' || next == 0 || ReadLe32(file + q + 4) == 0 ||
           (q > s.offset && file[q - 1] == 0);
}

static void SearchSection(Search* search, const FileRange& s)
{
    const uint64_t end = (uint64_t)s.offset + s.length;
    for (uint64_t q = s.offset; q + 4 <= end; q += 4)
    {
        uint32_t word = ReadLe32(search->file + q);
        bool inRange = (uint32_t)(word - kEmptyDataFileLength) <= s.length - kEmptyDataFileLength;
        if (inRange && (q + 16 > end || MayFrame(search->file, s, q)))
        {
            TryAfterSizeWord(search, s, q, word);
            uint32_t zeros = ZerosBefore(search->file, s, q);
            if (zeros > 0)
                TryBeforeSizeWord(search, s, q, word, zeros);
        }
    }
}

void LocateImage(const unsigned char* file, const ProgramSections& sections, LocatedImage* located,
                 const unsigned char* whole, uint32_t wholeLength)
{
    // Every byte of a built program is walked at most a few times: the
    // image once, the images of programs stored inside it once more, a
    // stray framed candidate a few bytes. Only bytes made to frame many
    // long walks that fail reach the budget, and the search then stops
    // instead of taking time that grows with the square of the size.
    uint64_t total = 0;
    for (int i = 0; i < sections.count; ++i)
        total += sections.ranges[i].length;
    Search search = {file,
                     located,
                     kNone,
                     kNone,
                     0,
                     0,
                     kWalkBudgetPerByte * total + (1u << 20),
                     whole,
                     whole ? wholeLength : 0};
    located->image = {0, 0};
    located->damage.result = kWalkWhole;
    located->damage.name[0] = 0;
    for (int i = 0; i < sections.count; ++i)
        SearchSection(&search, sections.ranges[i]);
    // A walk that failed on its first record most likely started on bytes
    // that only look framed; one that got further found a damaged image.
    if (search.best != kNone)
        located->result = kLocateFound;
    else if (search.damagedReach > 4)
        located->result = kLocateDamaged;
    else if (search.walked > search.walkBudget)
        located->result = kLocateGaveUp;
    else if (search.firstEmpty != kNone)
    {
        located->result = kLocateFound;
        located->image = {(uint32_t)search.firstEmpty, kEmptyDataFileLength};
    }
    else
        located->result = kLocateMissing;
}
