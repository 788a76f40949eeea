// Base sequences for the model builders: reading a sequence text or file,
// checking it, and expanding the compact repeat notation to a plain run of
// A, C, G and T.
//
// Repeat notation: letters A, C, G, T and U (any case); a decimal count after
// a letter repeats that letter; a group in parentheses followed by an optional
// count repeats the group; '[', '{' and '<' count as '(' and ']', '}' and '>'
// as ')'. Groups do not nest. "A3C" is AAAC, "(AC)3G" is ACACACG, "GU" is GT.
//
// An expanded sequence longer than kMaxSequenceLength ends the run: counts are
// checked before anything is built, so "A99999999999" is an error, not an
// attempt at 10^11 letters.
#pragma once

#include <string>
#include <string_view>

namespace vask {

// The longest sequence (bases per strand) the builders accept once expanded.
inline constexpr long kMaxSequenceLength = 100000;

// The complement by "ACGTUacgtu" -> "TGCAAtgcaa"; '\0' maps to itself; any
// other character is an assertion failure.
char get_complementary_base(char c);

// The whole file as one string: blank and '#' lines skipped, the rest of a
// line after an unquoted '#' cut, each line trimmed, lines joined with no
// separator. A file that cannot be opened ends the run.
std::string read_file_raw(const std::string& file_name);

// Brackets unified to '(' and ')' and the text upper-cased (in place), then
// checked and cleared of characters outside "()0123456789ACGTU" (listed on the
// run log). Malformed texts end the run through fatal(). Returns the kept text.
std::string validate_sequence(std::string& text);

// The expansion of a validated text, written `times` times in a row when
// times >= 2, with every U as T. Longer than kMaxSequenceLength: fatal.
std::string get_full_sequence(std::string_view validated, long times);

// The file's content when file_name is not empty, else the text; validated,
// expanded and repeated `times` times.
std::string derive_seq_or_file(std::string_view text, const std::string& file_name, long times);

// The text validated and expanded once.
std::string derive_simple_sequence(std::string_view text);

}  // namespace vask
