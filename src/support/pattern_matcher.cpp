// Pattern matcher: see pattern_matcher.hpp.
//
// The compiled program is a byte code: one instruction byte followed by its
// operands; offsets count from the instruction that holds them.
#include "support/pattern_matcher.hpp"

#include <cstdarg>
#include <cstdlib>
#include <cstring>

#include "support/error.hpp"
#include "support/log.hpp"

namespace vask {

namespace {

enum : unsigned char {
  END, ALT, ANY_CHAR, TEXT, IN_SET, NOT_IN_SET, GROUP_OPEN, GROUP_CLOSE, AT_START, AT_END,
  REPEAT_ANY, REPEAT_SOME, LAZY_ANY, LAZY_SOME, OPTIONAL, SPACE_CHAR, NONSPACE_CHAR, DIGIT_CHAR
};

constexpr int PROG_SIZE = 256;  // bytes of code and of data
constexpr int MAX_GROUPS = 32;  // the whole match and 31 groups
constexpr const char* META = "|.^$*+?()[\\";

struct program {
  unsigned char code[PROG_SIZE] = {};
  unsigned char data[PROG_SIZE] = {};
  int code_size = 0;
  int data_size = 0;
  int num_groups = 0;
  int anchored = 0;
  int flags = 0;
  const char* error = nullptr;
  bool stopped = false;  // a bracket error ends the compilation
};

struct group_cap {
  const char* ptr = nullptr;
  int len = 0;
};

void emit(program& r, int c) {
  if (r.code_size >= PROG_SIZE)
    r.error = "RE is too long (code overflow)";
  else
    r.code[r.code_size++] = static_cast<unsigned char>(c);
}

void store_data(program& r, int c) {
  if (r.data_size >= PROG_SIZE)
    r.error = "RE is too long (data overflow)";
  else
    r.data[r.data_size++] = static_cast<unsigned char>(c);
}

// code[pc] := distance from the instruction at `from` to the current code end
void set_jump_offset(program& r, int pc, int from) {
  if (r.code_size - from > 0xff)
    r.error = "Jump offset is too big";
  else if (pc < PROG_SIZE)
    r.code[pc] = static_cast<unsigned char>(r.code_size - from);
}

void emit_text(program& r, int data_start) {
  emit(r, TEXT);
  emit(r, data_start);
  emit(r, r.data_size - data_start);
}

// Ends the operand at the code end and moves [begin, end) up by shift bytes.
void relocate(program& r, int begin, int shift) {
  emit(r, END);
  if (r.code_size + shift > PROG_SIZE) {
    r.error = "RE is too long (code overflow)";
    return;
  }
  std::memmove(r.code + begin + shift, r.code + begin, static_cast<size_t>(r.code_size - begin));
  r.code_size += shift;
}

void close_alternation(program& r, int fixup) {
  if (fixup > 0) {
    emit(r, END);
    set_jump_offset(r, fixup, fixup - 2);
  }
}

void quantifier(program& r, int prev, int op) {
  if (prev >= r.code_size) return;  // nothing to repeat: the quantifier is ignored
  if (prev + 2 < r.code_size && r.code[prev] == TEXT && r.code[prev + 2] > 1) {  // "ab*" repeats the b only
    r.code[prev + 2]--;
    emit(r, TEXT);
    emit(r, r.code[prev + 1] + r.code[prev + 2]);
    emit(r, 1);
    prev = r.code_size - 3;
  }
  relocate(r, prev, 2);
  if (prev + 1 >= PROG_SIZE) return;
  r.code[prev] = static_cast<unsigned char>(op);
  set_jump_offset(r, prev + 1, prev);
}

void escape(program& r, const char*& re) {
  char c = *re;
  if (c == '\0') {  // a lone backslash at the end stands for itself
    int start = r.data_size;
    store_data(r, '\\');
    emit_text(r, start);
    return;
  }
  ++re;
  switch (c) {
    case 's': emit(r, SPACE_CHAR); return;
    case 'S': emit(r, NONSPACE_CHAR); return;
    case 'd': emit(r, DIGIT_CHAR); return;
    case 'n': c = '\n'; break;
    case 'r': c = '\r'; break;
    case 't': c = '\t'; break;
    case '0': c = '\0'; break;
    default: break;
  }
  int start = r.data_size;
  store_data(r, static_cast<unsigned char>(c));
  emit_text(r, start);
}

void compile_set(program& r, const char*& re) {
  int start = r.data_size;
  int op = IN_SET;
  if (*re == '^') {
    op = NOT_IN_SET;
    ++re;
  }
  while (*re != '\0') {
    char c = *re++;
    if (c == ']') {
      emit(r, op);
      emit(r, start);
      emit(r, r.data_size - start);
      return;
    }
    if (c == '\\') {
      if (*re == '\0') break;
      c = *re++;
      if (c == 'n') c = '\n';
      else if (c == 'r') c = '\r';
      else if (c == 't') c = '\t';
      else if (c == '0') c = '\0';
    }
    store_data(r, static_cast<unsigned char>(c));
  }
  r.error = "No closing ']' bracket";
}

void compile_literal_run(program& r, const char*& re) {
  int start = r.data_size;
  while (*re != '\0' && std::strchr(META, *re) == nullptr) store_data(r, static_cast<unsigned char>(*re++));
  emit_text(r, start);
}

// One sequence: the top level or the inside of a group. Leaves re on the NUL
// or on the ")" that ends the group.
void compile_seq(program& r, const char*& re) {
  const int level = r.num_groups;
  const int seq_start = r.code_size;
  int last_atom = seq_start;
  int fixup = 0;  // end-offset slot of this sequence's open alternation
  while (!r.stopped) {
    char c = *re;
    if (c == '\0') return;
    ++re;
    switch (c) {
      case '^': emit(r, AT_START); break;
      case '$': emit(r, AT_END); break;
      case '.':
        last_atom = r.code_size;
        emit(r, ANY_CHAR);
        break;
      case '[':
        last_atom = r.code_size;
        compile_set(r, re);
        break;
      case '\\':
        last_atom = r.code_size;
        escape(r, re);
        break;
      case '(': {
        last_atom = r.code_size;
        int n = ++r.num_groups;
        emit(r, GROUP_OPEN);
        emit(r, n);
        compile_seq(r, re);
        if (r.stopped) return;
        if (*re != ')') {
          r.error = "No closing bracket";
          r.stopped = true;
          return;
        }
        ++re;
        emit(r, GROUP_CLOSE);
        emit(r, n);
        break;
      }
      case ')':
        --re;
        close_alternation(r, fixup);
        if (level == 0) {
          r.error = "Unbalanced brackets";
          r.stopped = true;
        }
        return;
      case '*':
      case '+': {
        int op = c == '*' ? REPEAT_ANY : REPEAT_SOME;
        if (*re == '?') {
          ++re;
          op = op == REPEAT_ANY ? LAZY_ANY : LAZY_SOME;
        }
        quantifier(r, last_atom, op);
        break;
      }
      case '?': quantifier(r, last_atom, OPTIONAL); break;
      case '|':
        close_alternation(r, fixup);
        relocate(r, seq_start, 3);
        if (seq_start + 2 < PROG_SIZE) {
          r.code[seq_start] = ALT;
          set_jump_offset(r, seq_start + 1, seq_start);
          fixup = seq_start + 2;
          r.code[fixup] = 0xff;
        }
        break;
      default:
        --re;
        last_atom = r.code_size;
        compile_literal_run(r, re);
        break;
    }
  }
}

void compile(program& r, const char* re, int flags) {
  r.flags = flags;
  r.anchored = re[0] == '^';
  emit(r, GROUP_OPEN);
  emit(r, 0);
  if (*re != '\0') compile_seq(r, re);
  if (r.stopped) return;
  if (r.code[2] == ALT) close_alternation(r, 4);
  emit(r, GROUP_CLOSE);
  emit(r, 0);
  emit(r, END);
}

bool is_space_byte(unsigned char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

unsigned char fold(unsigned char c) { return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c; }

bool casecmp(const unsigned char* a, const unsigned char* b, int n) {
  for (int i = 0; i < n; ++i)
    if (fold(a[i]) != fold(b[i])) return false;
  return true;
}

bool in_set(const unsigned char* members, int n, unsigned char c) {
  for (int i = 0; i < n; ++i)
    if (members[i] == c) return true;
  return false;
}

bool match(const program& r, int pc, const unsigned char* s, int len, int& ofs, group_cap* caps);

void loop_greedy(const program& r, int pc, const unsigned char* s, int len, int& ofs) {
  int best = ofs;
  int before = ofs;
  while (match(r, pc + 2, s, len, ofs, nullptr)) {
    int after = ofs;
    if (after == before) break;  // an operand that matched nothing would repeat forever
    if (match(r, pc + r.code[pc + 1], s, len, ofs, nullptr)) best = after;
    ofs = before = after;
  }
  ofs = best;
}

void loop_lazy(const program& r, int pc, const unsigned char* s, int len, int& ofs) {
  int last = ofs;
  while (match(r, pc + 2, s, len, ofs, nullptr)) {
    if (ofs == last) break;
    last = ofs;
    if (match(r, pc + r.code[pc + 1], s, len, ofs, nullptr)) break;
    ofs = last;
  }
  ofs = last;
}

bool match(const program& r, int pc, const unsigned char* s, int len, int& ofs, group_cap* caps) {
  bool ok = true;
  while (ok) {
    VASK_ASSERT(pc < r.code_size && pc <= PROG_SIZE - 1);
    const unsigned char op = r.code[pc];
    if (op == END) break;
    switch (op) {
      case ALT: {
        int saved = ofs;
        ok = match(r, pc + 3, s, len, ofs, caps);
        if (!ok) {
          ofs = saved;
          ok = match(r, pc + r.code[pc + 1], s, len, ofs, caps);
        }
        pc += r.code[pc + 2];
        break;
      }
      case ANY_CHAR:
        ok = ofs < len;
        if (ok) ++ofs;
        pc += 1;
        break;
      case TEXT: {
        int n = r.code[pc + 2];
        const unsigned char* want = r.data + r.code[pc + 1];
        ok = n <= len - ofs &&
             ((r.flags & SLRE_IGNORE_CASE) ? casecmp(s + ofs, want, n)
                                           : std::memcmp(s + ofs, want, static_cast<size_t>(n)) == 0);
        if (ok) ofs += n;
        pc += 3;
        break;
      }
      case IN_SET:
      case NOT_IN_SET:
        ok = ofs < len && in_set(r.data + r.code[pc + 1], r.code[pc + 2], s[ofs]) == (op == IN_SET);
        if (ok) ++ofs;
        pc += 3;
        break;
      case GROUP_OPEN:
        if (caps != nullptr && r.code[pc + 1] < MAX_GROUPS) caps[r.code[pc + 1]].ptr = reinterpret_cast<const char*>(s) + ofs;
        pc += 2;
        break;
      case GROUP_CLOSE:
        if (caps != nullptr && r.code[pc + 1] < MAX_GROUPS)
          caps[r.code[pc + 1]].len =
              static_cast<int>(reinterpret_cast<const char*>(s) + ofs - caps[r.code[pc + 1]].ptr);
        pc += 2;
        break;
      case AT_START:
        ok = ofs == 0;
        pc += 1;
        break;
      case AT_END:
        ok = ofs == len;
        pc += 1;
        break;
      case REPEAT_ANY:
        loop_greedy(r, pc, s, len, ofs);
        pc += r.code[pc + 1];
        break;
      case REPEAT_SOME:
        ok = match(r, pc + 2, s, len, ofs, caps);
        if (ok) {
          loop_greedy(r, pc, s, len, ofs);
          pc += r.code[pc + 1];
        }
        break;
      case LAZY_ANY:
        loop_lazy(r, pc, s, len, ofs);
        pc += r.code[pc + 1];
        break;
      case LAZY_SOME:
        ok = match(r, pc + 2, s, len, ofs, caps);
        if (ok) {
          loop_lazy(r, pc, s, len, ofs);
          pc += r.code[pc + 1];
        }
        break;
      case OPTIONAL: {
        int saved = ofs;
        if (!match(r, pc + 2, s, len, ofs, caps)) ofs = saved;
        pc += r.code[pc + 1];
        break;
      }
      case SPACE_CHAR:
      case NONSPACE_CHAR:
        ok = ofs < len && is_space_byte(s[ofs]) == (op == SPACE_CHAR);
        if (ok) ++ofs;
        pc += 1;
        break;
      case DIGIT_CHAR:
        ok = ofs < len && s[ofs] >= '0' && s[ofs] <= '9';
        if (ok) ++ofs;
        pc += 1;
        break;
      default:
        runlog_msg("unknown cmd (%d) at %d\n", op, pc);
        VASK_ASSERT(false);
    }
  }
  return ok;
}

// Runs the program at positions 0 (anchored) or 0..len-1; the end itself is
// never a start position.
bool search(const program& r, const char* subject, int len, group_cap* caps) {
  const auto* s = reinterpret_cast<const unsigned char*>(subject);
  int ofs = 0;
  if (r.anchored) return match(r, 0, s, len, ofs, caps);
  for (int i = 0; i < len; ++i) {
    ofs = i;
    if (match(r, 0, s, len, ofs, caps)) return true;
  }
  return false;
}

}  // namespace

int zor_match(int flags, const char* pattern, const char* subject) {
  if (pattern == nullptr || subject == nullptr) return 0;
  program r;
  compile(r, pattern, flags);
  if (r.error != nullptr) return 0;
  return search(r, subject, static_cast<int>(std::strlen(subject)), nullptr) ? 1 : 0;
}

bool zor_bcmatch(const char* subject, const char* pattern) { return zor_match(0, pattern, subject) == 1; }

bool zor_ncmatch(const char* subject, const char* pattern) {
  return zor_match(SLRE_IGNORE_CASE, pattern, subject) == 1;
}

const char* slre_match(int flags, const char* pattern, const char* subject, int len, ...) {
  program r;
  compile(r, pattern, flags);
  if (r.error != nullptr) return r.error;
  group_cap caps[MAX_GROUPS];
  if (!search(r, subject, len, caps)) return "No match";

  const char* status = nullptr;
  va_list ap;
  va_start(ap, len);
  for (int g = 1; g <= r.num_groups && g < MAX_GROUPS; ++g) {
    int type = va_arg(ap, int);
    int size = va_arg(ap, int);
    void* dst = va_arg(ap, void*);
    std::string text = caps[g].ptr != nullptr ? std::string(caps[g].ptr, static_cast<size_t>(caps[g].len)) : "";
    if (type == 0) {
      if (static_cast<int>(text.size()) < size)
        std::memcpy(dst, text.c_str(), text.size() + 1);
      else
        status = "SLRE_STRING: buffer size too small";
    } else if (type == 1) {
      char* end = nullptr;
      long long v = std::strtoll(text.c_str(), &end, 10);
      if (size != 1 && size != 8)
        status = "SLRE_INT: unsupported size";
      else if (end == text.c_str())
        status = "SLRE_INT: capture failed";
      else if (size == 1)
        *static_cast<signed char*>(dst) = static_cast<signed char>(v);
      else
        *static_cast<long long*>(dst) = v;
    } else if (type == 2) {
      char* end = nullptr;
      double v = std::strtod(text.c_str(), &end);
      if (size != 4 && size != 8)
        status = "SLRE_FLOAT: unsupported size";
      else if (end == text.c_str())
        status = "SLRE_FLOAT: capture failed";
      else if (size == 4)
        *static_cast<float*>(dst) = static_cast<float>(v);
      else
        *static_cast<double*>(dst) = v;
    } else {
      status = "Unknown type, expected SLRE_(INT|FLOAT|STRING)";
    }
  }
  va_end(ap);
  return status;
}

}  // namespace vask
