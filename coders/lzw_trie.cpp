// The full dictionary as a double-array trie: the strings with longer ones
// after them, those with the most first, each at the first base whose cells
// for its bytes are still free; then the two-byte strings in the cells left.
#include "coders/lzw_trie.h"

#include "coders/lzw_writer.h"

#include <stdlib.h>

namespace
{

const uint32_t kStrings = kLzwEndCode;       // codes 0 to the last dictionary code
const uint32_t kCells = kLzwTrieCells + 256; // a base, then any byte or a pair's own cell
const uint32_t kMostExtensions = 256;        // of one string

// What laying out takes and then gives back. The taken cells are a bitmap,
// small enough to stay in the first-level cache while it is searched.
struct LzwTrieWork
{
    uint16_t first[kStrings + 1]; // string s's extensions: children[first[s]..first[s + 1])
    uint16_t children[kStrings];
    uint16_t order[kStrings];              // the strings, most extensions first
    uint16_t ofCount[kMostExtensions + 1]; // where the strings with 256 - k start in order
    uint16_t cellOf[kStrings];
    uint16_t baseOf[kStrings];
    uint32_t taken[kCells / 32 + 2]; // bit c % 32 of word c / 32; the last word stays free
    uint32_t lowestFree;             // no cell below it is free
    uint32_t top;                    // no cell from it on is taken
};

bool LzwTaken(const LzwTrieWork& work, uint32_t cell)
{
    return (work.taken[cell / 32] >> (cell % 32) & 1) != 0;
}

void LzwTake(LzwTrieWork& work, uint32_t cell)
{
    work.taken[cell / 32] |= 1u << (cell % 32);
    if (cell >= work.top)
        work.top = cell + 1;
}

// The first free cell from cell on: past kCells when there is none below it.
uint32_t LzwFreeCell(LzwTrieWork& work, uint32_t cell)
{
    const bool lowest = cell <= work.lowestFree;
    if (lowest)
        cell = work.lowestFree;
    uint32_t word = cell / 32;
    uint32_t free = ~work.taken[word] & (~0u << (cell % 32));
    while (free == 0)
        free = ~work.taken[++word];
    cell = word * 32 + (uint32_t)__builtin_ctz(free);
    if (lowest)
        work.lowestFree = cell;
    return cell;
}

// Each string's extensions in code order, and the strings in order of how
// many they have, the most first.
void LzwListExtensions(const uint32_t* keys, LzwTrieWork& work)
{
    for (uint32_t code = kLzwFirstDictionaryCode; code < kStrings; ++code)
        ++work.first[(keys[code] >> 8) + 1];
    for (uint32_t s = 0; s < kStrings; ++s)
    {
        ++work.ofCount[kMostExtensions - work.first[s + 1]];
        work.first[s + 1] = (uint16_t)(work.first[s + 1] + work.first[s]);
    }
    uint32_t at = 0;
    for (uint32_t k = 0; k <= kMostExtensions; ++k)
    {
        const uint32_t count = work.ofCount[k];
        work.ofCount[k] = (uint16_t)at;
        at += count;
    }
    uint16_t* next = work.order; // each string's fill point, before the order
    for (uint32_t s = 0; s < kStrings; ++s)
        next[s] = work.first[s];
    for (uint32_t code = kLzwFirstDictionaryCode; code < kStrings; ++code)
        work.children[next[keys[code] >> 8]++] = (uint16_t)code;
    for (uint32_t s = 0; s < kStrings; ++s)
    {
        const uint32_t count = (uint32_t)(work.first[s + 1] - work.first[s]);
        work.order[work.ofCount[kMostExtensions - count]++] = (uint16_t)s;
    }
}

// Tries of a base before a string with several extensions takes one past
// every cell taken, which bounds a search that grows as the trie fills. 32
// left the strings of a 29 MB bitmap wider than the cells; at 128 every file
// of the bench's game trees takes under 20,000.
const uint32_t kMostTries = 128;

// A base for string s whose extensions' cells are all free, those cells
// taken for them; false when there is none below kLzwTrieCells. A two-byte
// string also takes the cell 256 past its base, its own. A string with
// several extensions looks near the top, where the free cells are; the
// holes below are left to strings with one.
bool LzwPlace(const uint32_t* keys, uint32_t s, LzwTrieWork& work)
{
    const uint16_t* child = work.children + work.first[s];
    const uint16_t* end = work.children + work.first[s + 1];
    const bool pair = keys[s] >> 16 == 0;
    uint32_t anchor = 255; // the lowest byte
    for (const uint16_t* c = child; c < end; ++c)
        if ((keys[*c] & 0xFF) < anchor)
            anchor = keys[*c] & 0xFF;
    uint32_t cell = end - child > 1 ? work.top - 256 + anchor : 0;
    for (uint32_t tries = 0;; ++tries, ++cell)
    {
        // Every cell from the top on is free.
        cell = tries < kMostTries ? LzwFreeCell(work, cell) : work.top;
        const uint32_t base = cell - anchor;
        if (base >= kLzwTrieCells)
            return false;
        const uint16_t* c = child;
        while (c < end && !LzwTaken(work, base + (keys[*c] & 0xFF)))
            ++c;
        if (c < end || (pair && LzwTaken(work, base + 256)))
            continue;
        for (c = child; c < end; ++c)
        {
            LzwTake(work, base + (keys[*c] & 0xFF));
            work.cellOf[*c] = (uint16_t)(base + (keys[*c] & 0xFF));
        }
        if (pair)
        {
            LzwTake(work, base + 256);
            work.cellOf[s] = (uint16_t)(base + 256);
        }
        work.baseOf[s] = (uint16_t)base;
        return true;
    }
}

// Places every string but the single bytes; false when they do not fit.
// The first 256 cells are never given, so that a free cell's 0 names no
// prefix and a string with one extension can take the lowest free cell.
bool LzwPlaceAll(const uint32_t* keys, LzwTrieWork& work)
{
    for (uint32_t word = 0; word < 256 / 32; ++word)
        work.taken[word] = ~0u;
    work.lowestFree = work.top = 256;
    LzwListExtensions(keys, work);
    for (uint32_t at = 0; at < kStrings; ++at)
    {
        const uint32_t s = work.order[at];
        if (work.first[s + 1] == work.first[s])
            break; // no more strings with extensions
        if (s >= kLzwFirstDictionaryCode && !LzwPlace(keys, s, work))
            return false;
    }
    // The two-byte strings nothing extends, in any free cell.
    for (uint32_t code = kLzwFirstDictionaryCode; code < kStrings; ++code)
    {
        if (keys[code] >> 16 != 0 || work.first[code + 1] != work.first[code])
            continue;
        const uint32_t cell = LzwFreeCell(work, 0);
        if (cell >= kCells)
            return false;
        LzwTake(work, cell);
        work.cellOf[code] = (uint16_t)cell;
        work.baseOf[code] = (uint16_t)(cell - 256);
    }
    return true;
}

} // namespace

bool LzwBuildTrie(const uint32_t* keys, uint16_t* pairs, LzwTrie& trie)
{
    trie.cells = (LzwTrieCell*)calloc(kCells, sizeof(LzwTrieCell) + sizeof(uint16_t));
    LzwTrieWork* work = (LzwTrieWork*)calloc(1, sizeof(LzwTrieWork));
    const bool placed = trie.cells != NULL && work != NULL && LzwPlaceAll(keys, *work);
    if (placed)
    {
        trie.codes = (uint16_t*)(trie.cells + kCells);
        for (uint32_t code = kLzwFirstDictionaryCode; code < kStrings; ++code)
        {
            const uint32_t prefix = keys[code] >> 8;
            const uint32_t cell = work->cellOf[code];
            trie.cells[cell].base = work->baseOf[code];
            trie.cells[cell].prefix = prefix < 256 ? 0 : work->cellOf[prefix];
            trie.codes[cell] = (uint16_t)code;
            if (prefix < 256)
                pairs[keys[code]] = (uint16_t)cell;
        }
    }
    free(work);
    if (!placed)
        LzwFreeTrie(trie);
    return placed;
}

void LzwFreeTrie(LzwTrie& trie)
{
    free(trie.cells);
    trie.cells = NULL;
}
