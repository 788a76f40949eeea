// Recursive-descent JSON checker: see json_check.hpp.
#include "json_check.hpp"

#include <cstdio>

namespace vask::test {

namespace {

class checker {
 public:
  explicit checker(std::string_view t) : t_(t) {}

  std::string run() {
    blanks();
    if (!value(0)) return error_;
    blanks();
    if (p_ != t_.size()) return fail("text after the value");
    return {};
  }

 private:
  static constexpr int kMaxDepth = 512;

  bool fail_b(const char* what) {
    fail(what);
    return false;
  }
  std::string fail(const char* what) {
    if (error_.empty()) {
      char buf[160];
      std::snprintf(buf, sizeof buf, "%s at byte %zu", what, p_);
      error_ = buf;
    }
    return error_;
  }
  bool more() const { return p_ < t_.size(); }
  char peek() const { return more() ? t_[p_] : '\0'; }
  void blanks() {
    while (more() && (t_[p_] == ' ' || t_[p_] == '\t' || t_[p_] == '\n' || t_[p_] == '\r')) ++p_;
  }
  bool literal(std::string_view word) {
    if (t_.substr(p_, word.size()) != word) return fail_b("bad literal");
    p_ += word.size();
    return true;
  }
  static bool digit(char c) { return c >= '0' && c <= '9'; }

  bool value(int depth) {
    if (depth > kMaxDepth) return fail_b("nesting too deep");
    switch (peek()) {
      case '{': return object(depth);
      case '[': return array(depth);
      case '"': return string();
      case 't': return literal("true");
      case 'f': return literal("false");
      case 'n': return literal("null");
      default: return number();
    }
  }

  bool object(int depth) {
    ++p_;
    blanks();
    if (peek() == '}') return ++p_, true;
    for (;;) {
      blanks();
      if (peek() != '"') return fail_b("object key expected");
      if (!string()) return false;
      blanks();
      if (peek() != ':') return fail_b("':' expected");
      ++p_;
      blanks();
      if (!value(depth + 1)) return false;
      blanks();
      if (peek() == ',') {
        ++p_;
        continue;
      }
      if (peek() == '}') return ++p_, true;
      return fail_b("',' or '}' expected");
    }
  }

  bool array(int depth) {
    ++p_;
    blanks();
    if (peek() == ']') return ++p_, true;
    for (;;) {
      blanks();
      if (!value(depth + 1)) return false;
      blanks();
      if (peek() == ',') {
        ++p_;
        continue;
      }
      if (peek() == ']') return ++p_, true;
      return fail_b("',' or ']' expected");
    }
  }

  bool hex4() {
    for (int k = 0; k < 4; ++k, ++p_) {
      char c = peek();
      if (!(digit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'))) return fail_b("bad \\u escape");
    }
    return true;
  }

  // One UTF-8 sequence starting at p_ (a byte >= 0x80).
  bool utf8() {
    auto byte = [&](size_t k) { return static_cast<unsigned char>(t_[k]); };
    unsigned char b = byte(p_);
    int n = b >= 0xF0 && b <= 0xF4 ? 3 : b >= 0xE0 ? 2 : b >= 0xC2 && b <= 0xDF ? 1 : -1;
    if (b >= 0xF5 || n < 0) return fail_b("invalid UTF-8");
    if (p_ + static_cast<size_t>(n) >= t_.size()) return fail_b("truncated UTF-8");
    for (int k = 1; k <= n; ++k)
      if ((byte(p_ + static_cast<size_t>(k)) & 0xC0) != 0x80) return fail_b("invalid UTF-8");
    unsigned char b1 = byte(p_ + 1);
    if ((b == 0xE0 && b1 < 0xA0) || (b == 0xED && b1 > 0x9F) || (b == 0xF0 && b1 < 0x90) ||
        (b == 0xF4 && b1 > 0x8F))
      return fail_b("invalid UTF-8");
    p_ += static_cast<size_t>(n) + 1;
    return true;
  }

  bool string() {
    ++p_;
    for (;;) {
      if (!more()) return fail_b("unterminated string");
      unsigned char c = static_cast<unsigned char>(t_[p_]);
      if (c == '"') return ++p_, true;
      if (c < 0x20) return fail_b("raw control character in string");
      if (c == '\\') {
        ++p_;
        char e = peek();
        ++p_;
        if (e == 'u') {
          if (!hex4()) return false;
        } else if (std::string_view("\"\\/bfnrt").find(e) == std::string_view::npos || e == '\0') {
          return fail_b("bad escape");
        }
      } else if (c >= 0x80) {
        if (!utf8()) return false;
      } else {
        ++p_;
      }
    }
  }

  bool number() {
    size_t start = p_;
    if (peek() == '-') ++p_;
    if (peek() == '0') {
      ++p_;
    } else if (digit(peek())) {
      while (digit(peek())) ++p_;
    } else {
      p_ = start;
      return fail_b("value expected");
    }
    if (peek() == '.') {
      ++p_;
      if (!digit(peek())) return fail_b("digit expected after '.'");
      while (digit(peek())) ++p_;
    }
    if (peek() == 'e' || peek() == 'E') {
      ++p_;
      if (peek() == '+' || peek() == '-') ++p_;
      if (!digit(peek())) return fail_b("digit expected in exponent");
      while (digit(peek())) ++p_;
    }
    return true;
  }

  std::string_view t_;
  size_t p_ = 0;
  std::string error_;
};

}  // namespace

std::string json_error(std::string_view text) { return checker(text).run(); }

std::string json_members_error(std::string_view members) {
  std::string object(1, '{');
  object.append(members);
  object.push_back('}');
  return json_error(object);
}

}  // namespace vask::test
