// The LZW encoder's full dictionary, laid out for one load a byte.
#ifndef TREMLOK_CODERS_LZW_TRIE_H
#define TREMLOK_CODERS_LZW_TRIE_H

#include <stdint.h>

// Once the dictionary is full it never changes, and on any file past a few
// hundred kilobytes most of the input is coded against it alone. It is then
// laid out as a double-array trie: every string of three bytes or more sits
// in a cell of its own, at its prefix's base plus its last byte, and the cell
// holds the prefix's cell and the string's own base. A lookup is one load;
// the compare with the cell the lookup came from is off the path the next
// load waits on. Two-byte strings stay found by their two bytes, which hold
// their cell now, 256 past their base; any other string that nothing
// extends has base 0.
const uint32_t kLzwTrieCells = 1 << 15; // bases below this, cells below it + 256

// Apart, so that the base the next lookup waits on is loaded alone.
struct LzwTrieCell
{
    uint16_t base;
    uint16_t prefix; // the prefix's cell, 0 in a free cell
};

struct LzwTrie
{
    LzwTrieCell* cells;
    uint16_t* codes; // of the string in each cell
};

// Lays out the full dictionary whose code k stands for keys[k], prefix code
// << 8 | last byte, and rewrites pairs, the codes of the two-byte strings by
// their two bytes, to hold their cells. False, pairs untouched, when memory
// cannot be had or the strings do not fit in kLzwTrieCells.
bool LzwBuildTrie(const uint32_t* keys, uint16_t* pairs, LzwTrie& trie);

void LzwFreeTrie(LzwTrie& trie);

#endif
