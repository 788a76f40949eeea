// The pattern matcher that tests every option, sub-command word, keyword and
// file-name suffix.
//
// A small backtracking dialect, compiled afresh at each call into a fixed
// 256-byte program (no heap, nothing cached). It differs from common engines
// on purpose: alternation and "?" commit to their first success and are never
// retried, a pattern starting with "^" is tried at the first character only,
// sets have no ranges ("-" is a member), and case folding touches the ASCII
// letters of literal text only (never sets or classes). A pattern that does
// not compile simply answers no.
#pragma once

#include <string>

namespace vask {

inline constexpr int SLRE_IGNORE_CASE = 1;  // flags bit 0

// 1 when subject matches pattern (both NUL-terminated); 0 when it does not or
// when the pattern does not compile. Nothing is logged.
int zor_match(int flags, const char* pattern, const char* subject);

// Case-sensitive and case-insensitive forms; note the subject comes first.
bool zor_bcmatch(const char* subject, const char* pattern);
bool zor_ncmatch(const char* subject, const char* pattern);
inline bool zor_bcmatch(const std::string& subject, const char* pattern) {
  return zor_bcmatch(subject.c_str(), pattern);
}
inline bool zor_ncmatch(const std::string& subject, const char* pattern) {
  return zor_ncmatch(subject.c_str(), pattern);
}

// The general entry: searches the first len bytes of subject and, on a match,
// stores each group 1, 2, ... through three further arguments per group
// (int type: 0 text, 1 integer, 2 floating point; int size of the destination
// in bytes; pointer to the destination). Returns null on success, otherwise
// the reason: a compile error, "No match" or a conversion failure.
const char* slre_match(int flags, const char* pattern, const char* subject, int len, ...);

}  // namespace vask
