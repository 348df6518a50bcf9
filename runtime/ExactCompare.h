#pragma once

namespace kvor::data {

// Three-way text comparison for sorting lists. The mode picks the ordering:
//   -1  case-insensitive, character by character;
//   -3  same as -1;
//   -5  like -1, but digits sort after every other character;
//   15  like -5, but a run of digits compares as the number it spells;
//   0, 2, 4, ..., 14  every text counts as equal;
//   any other mode    strcasecmp.
// Null texts sort before everything; two nulls are equal.
int ExactCompare(const char* a, const char* b, int mode);

}  // namespace kvor::data
