// Small text helpers of the structure readers (data-file lines and words).
#pragma once

#include <charconv>
#include <cmath>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace vask::text {

inline std::string upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

inline std::string trimmed(std::string_view s) {
  size_t b = s.find_first_not_of(" \t\r\n");
  if (b == std::string_view::npos) return {};
  size_t e = s.find_last_not_of(" \t\r\n");
  return std::string(s.substr(b, e - b + 1));
}

// Splits at blanks, tabs, CR and LF into at most max words.
inline std::vector<std::string> split_words(const std::string& s, size_t max) {
  std::vector<std::string> words;
  size_t i = 0;
  while (i < s.size() && words.size() < max) {
    i = s.find_first_not_of(" \t\r\n", i);
    if (i == std::string::npos) break;
    size_t e = s.find_first_of(" \t\r\n", i);
    if (e == std::string::npos) e = s.size();
    words.push_back(s.substr(i, e - i));
    i = e;
  }
  return words;
}

inline std::string right_justify2(const std::string& sym) { return sym.size() == 1 ? " " + sym : sym; }

inline bool whole_long(const std::string& s, long& out) {
  auto r = std::from_chars(s.data(), s.data() + s.size(), out);
  return r.ec == std::errc() && r.ptr == s.data() + s.size();
}

inline bool whole_double(const std::string& s, double& out) {
  auto r = std::from_chars(s.data(), s.data() + s.size(), out);
  return r.ec == std::errc() && r.ptr == s.data() + s.size() && std::isfinite(out);
}

inline bool skip_line(const std::string& line) { return line.empty() || line[0] == '#'; }

// Cuts a trailing comment: a '#' that begins a word.
inline void cut_comment(std::string& line) {
  for (size_t i = 0; i < line.size(); ++i)
    if (line[i] == '#' && (i == 0 || line[i - 1] == ' ' || line[i - 1] == '\t')) {
      line.resize(i);
      return;
    }
}

inline bool read_line(FILE* fp, std::string& line) {
  line.clear();
  int c;
  while ((c = std::fgetc(fp)) != EOF) {
    if (c == '\n') return true;
    line.push_back(static_cast<char>(c));
  }
  return !line.empty();
}

}  // namespace vask::text
