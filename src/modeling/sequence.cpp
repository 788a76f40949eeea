// Base sequences for the model builders: reading, checking and expanding the
// compact repeat notation.
#include "modeling/sequence.hpp"

#include <cstdio>
#include <string>

#include "support/error.hpp"
#include "support/file.hpp"
#include "support/log.hpp"
#include "support/string.hpp"

namespace vask {

namespace {

constexpr std::string_view kSequenceChars = "()0123456789ACGTU";
constexpr size_t kMaxCountDigits = 31;  // a count has at most 31 digits

// A sequence file is read only as far as it can still give a sequence the
// builders accept: at most this many characters of sequence text (ten per
// base), and lines of at most this many characters.
constexpr size_t kMaxSequenceText = 10 * static_cast<size_t>(kMaxSequenceLength);
constexpr size_t kMaxSequenceLine = kMaxSequenceText;

bool is_digit(char c) { return c >= '0' && c <= '9'; }
bool is_base_letter(int c) { return std::string_view("ACGTUacgtu").find(static_cast<char>(c)) != std::string_view::npos; }

[[noreturn]] void too_long(std::string_view text) {
  fatal("[e] sequence longer than %ld bases once expanded: '%.60s'\n", kMaxSequenceLength,
        std::string(text).c_str());
}

// The count in the digit run starting at text[i]; i moves past the run. A
// count above the length cap cannot give a sequence the builders accept, so
// it ends the run here rather than after a huge allocation.
long read_count(std::string_view text, size_t& i) {
  size_t start = i;
  long n = 0;
  while (i < text.size() && is_digit(text[i])) {
    if (i - start >= kMaxCountDigits)
      fatal("[e] repeat count with more than %zu digits: '%.60s'\n", kMaxCountDigits,
            std::string(text.substr(start)).c_str());
    if (n <= kMaxSequenceLength) n = n * 10 + (text[i] - '0');
    ++i;
  }
  if (n > kMaxSequenceLength) too_long(text);
  return n;
}

// Appends `count` copies of piece, within the cap.
void append_copies(std::string& out, std::string_view piece, long count, std::string_view text) {
  if (count <= 0 || piece.empty()) return;
  if (static_cast<long>(piece.size()) > (kMaxSequenceLength - static_cast<long>(out.size())) / count)
    too_long(text);
  for (long k = 0; k < count; ++k) out += piece;
}

}  // namespace

char get_complementary_base(char c) {
  static constexpr std::string_view from = "ACGTUacgtu";
  static constexpr std::string_view to = "TGCAAtgcaa";
  if (c == '\0') return c;
  size_t k = from.find(c);
  VASK_ASSERT(k != std::string_view::npos);
  return to[k];
}

std::string read_file_raw(const std::string& file_name) {
  FILE* fp = open_file(file_name, "r");
  scoped_file holder(fp);
  std::string out;
  std::string line;
  int c = 0;
  bool more = true;
  long letters = 0;  // base letters read, up to a '#' on each line
  for (long number = 1; more; ++number) {
    line.clear();
    bool comment = false;
    while ((c = std::getc(fp)) != EOF && c != '\n') {
      if (c == '\0') fatal("[e] %s, line %ld: a NUL byte -- not a sequence file\n", file_name.c_str(), number);
      if (line.size() >= kMaxSequenceLine)
        fatal("[e] %s, line %ld: longer than %zu characters -- not a sequence file\n", file_name.c_str(), number,
              kMaxSequenceLine);
      comment = comment || c == '#';
      if (!comment && is_base_letter(c) && ++letters > kMaxSequenceLength) too_long(out + line);
      line += static_cast<char>(c);
    }
    more = c != EOF;
    if (is_doc_string(line)) continue;
    nullify_line_comment(line);
    out += trim(line);
    if (out.size() > kMaxSequenceText)
      fatal("[e] %s: more than %zu characters of sequence text -- not read further\n", file_name.c_str(),
            kMaxSequenceText);
  }
  holder.close();
  return out;
}

std::string validate_sequence(std::string& text) {
  for (char& c : text) {
    if (c == '<' || c == '[' || c == '{') c = '(';
    if (c == '>' || c == ']' || c == '}') c = ')';
  }
  up_case(text);

  int depth = 0;
  for (char c : text) {
    if (c == '(') ++depth;
    if (c == ')') --depth;
    if (depth < 0 || depth > 1)
      fatal("[e] only non-nested and matched parentheses allowed: '%.60s'\n", text.c_str());
  }
  if (depth != 0) fatal("[e] only non-nested and matched parentheses allowed: '%.60s'\n", text.c_str());

  std::string kept;
  std::string dropped;
  for (char c : text) {
    if (kSequenceChars.find(c) != std::string_view::npos)
      kept += c;
    else if (dropped.find(c) == std::string::npos)
      dropped += c;
  }
  if (!dropped.empty())
    runlog_msg("[i] remove characters not in set '%s' -- %s\a\n", std::string(kSequenceChars).c_str(),
               dropped.c_str());

  if (kept.empty()) return kept;
  if (is_digit(kept[0])) fatal("[e] sequence must NOT start with a digit: '%.60s'\n", kept.c_str());
  for (size_t i = 0; i + 1 < kept.size(); ++i) {
    if (kept[i] != '(') continue;
    if (is_digit(kept[i + 1]))
      fatal("[e] sequence must NOT contain (digit): '%.60s'\n", kept.c_str() + i);
    if (kept[i + 1] == ')') fatal("[e] sequence must NOT contain (): '%.60s'\n", kept.c_str() + i);
  }
  return kept;
}

std::string get_full_sequence(std::string_view validated, long times) {
  // Pass 1: a count right after a letter repeats that letter; other digits
  // (group counts) are kept for pass 2.
  std::string letters;
  for (size_t i = 0; i < validated.size();) {
    char c = validated[i++];
    bool letter = c >= 'A' && c <= 'Z';
    if (letter && i < validated.size() && is_digit(validated[i])) {
      append_copies(letters, std::string_view(&c, 1), read_count(validated, i), validated);
      continue;
    }
    if (letter && static_cast<long>(letters.size()) >= kMaxSequenceLength) too_long(validated);
    letters += c;
  }

  // Pass 2: each group "(...)" with its count.
  std::string seq;
  if (letters.find('(') == std::string::npos) {
    seq = letters;
  } else {
    for (size_t i = 0; i < letters.size();) {
      if (letters[i] != '(') {
        if (static_cast<long>(seq.size()) >= kMaxSequenceLength) too_long(validated);
        seq += letters[i++];
        continue;
      }
      size_t close = letters.find(')', i);
      VASK_ASSERT(close != std::string::npos);  // validate_sequence saw matched pairs
      std::string_view group = std::string_view(letters).substr(i + 1, close - i - 1);
      i = close + 1;
      long n = i < letters.size() && is_digit(letters[i]) ? read_count(letters, i) : 1;
      append_copies(seq, group, n, validated);
    }
  }

  std::string full;
  if (times >= 2) {
    append_copies(full, seq, times, validated);
  } else {
    full = seq;
  }
  convert_char_in_str(full, 'U', 'T');
  return full;
}

std::string derive_seq_or_file(std::string_view text, const std::string& file_name, long times) {
  std::string raw = file_name.empty() ? std::string(text) : read_file_raw(file_name);
  std::string valid = validate_sequence(raw);
  return get_full_sequence(valid, times);
}

std::string derive_simple_sequence(std::string_view text) {
  std::string raw(text);
  std::string valid = validate_sequence(raw);
  return get_full_sequence(valid, 1);
}

}  // namespace vask
