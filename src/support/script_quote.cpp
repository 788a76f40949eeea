// Names and texts for generated scripts: see script_quote.hpp.
//
// PyMOL reads a script line by splitting it at ';' (not inside quotes or
// brackets), then each command's arguments at ','; load takes a quoted name
// back as a Python string literal (so '\' escapes) and expands '$' and '~';
// png and save take their name as it stands. Jmol reads "..." with '\'
// escapes and fetches names starting with '=', '$', ':' or '*' from the net.
#include "support/script_quote.hpp"

#include <string_view>

#include "support/error.hpp"

namespace vask {

namespace {

bool is_control(unsigned char c) { return c < 0x20 || c == 0x7f; }
bool is_ascii_alnum(unsigned char c) { return (c >= '0' && c <= '9') || ((c | 0x20) >= 'a' && (c | 0x20) <= 'z'); }

enum class reader { pymol, pymol_bare, jmol };

// Why the name cannot stand in a script of the reader, or nullptr.
const char* name_fault(std::string_view name, reader r) {
  if (name.empty()) return "nothing";
  long parens = 0, brackets = 0;
  for (const char ch : name) {
    const auto c = static_cast<unsigned char>(ch);
    if (is_control(c)) return "a control character (such as a line break)";
    if (c == '"') return "a double quote";
    if (c == '\\') return "a backslash";
    if (r == reader::jmol) continue;
    if (c == '$') return "a '$'";
    if (c == '(') ++parens;
    if (c == ')' && parens > 0) --parens;
    if (c == '[') ++brackets;
    if (c == ']' && brackets > 0) --brackets;
    if (r == reader::pymol_bare && (c == ',' || c == ';' || c == '=')) return "a ',', ';' or '='";
  }
  if (parens > 0 || brackets > 0) return "a '(' or '[' without its partner";
  if (r == reader::pymol_bare && (name.front() == ' ' || name.back() == ' ')) return "a leading or trailing blank";
  return nullptr;
}

// A relative name that a reader could take for a prefix of its own
// (PyMOL's "~", Jmol's "=", "$", ":" or "*") is made a plain path.
std::string as_plain_path(const std::string& name) {
  const auto c = static_cast<unsigned char>(name.front());
  if (is_ascii_alnum(c) || c == '_' || c == '.' || c == '/' || c >= 0x80) return name;
  return "./" + name;
}

std::string checked(const std::string& name, reader r) {
  if (const char* why = name_fault(name, r))
    fatal("[e] '%s' cannot be named in a %s script: it holds %s\n", printable_text(name).c_str(),
          r == reader::jmol ? "Jmol" : "PyMOL", why);
  return as_plain_path(name);
}

std::string double_quoted(const std::string& text) {
  std::string out(1, '"');
  out += text;
  out += '"';
  return out;
}

std::string comment_text(std::string_view text, bool pymol) {
  std::string out(text);
  for (char& c : out) {
    if (is_control(static_cast<unsigned char>(c)) && c != '\t') c = '?';
    if (pymol && c == ';') c = ',';
    if (pymol && c == '\\') c = '/';
  }
  return out;
}

}  // namespace

std::string pymol_quoted(const std::string& name) { return double_quoted(checked(name, reader::pymol)); }

std::string jmol_quoted(const std::string& name) { return double_quoted(checked(name, reader::jmol)); }

std::string pymol_bare_name(const std::string& name) { return checked(name, reader::pymol_bare); }

bool is_plain_selection_word(std::string_view word) {
  if (word.empty()) return false;
  for (const char ch : word) {
    const auto c = static_cast<unsigned char>(ch);
    if (!is_ascii_alnum(c) && c != '_' && c != '-' && c != '.') return false;
  }
  return true;
}

bool is_selection_expression(std::string_view text) {
  static constexpr std::string_view kAlso = " \t+-.,:*'()/";
  for (const char ch : text)
    if (!is_ascii_alnum(static_cast<unsigned char>(ch)) && kAlso.find(ch) == std::string_view::npos) return false;
  return true;
}

std::string shell_comment_text(std::string_view text) { return comment_text(text, false); }

std::string pymol_comment_text(std::string_view text) { return comment_text(text, true); }

std::string printable_text(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (is_control(static_cast<unsigned char>(c))) c = '?';
  return out;
}

std::string shell_quoted(const std::string& word) {
  static constexpr std::string_view kPlain =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789_-+=./,:@%";
  if (!word.empty() && word.find_first_not_of(kPlain) == std::string::npos) return word;
  std::string out = "'";
  for (const char c : word) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

std::string shell_command_line(const std::vector<std::string>& args) {
  std::string line;
  for (const std::string& a : args) {
    if (!line.empty()) line += ' ';
    line += shell_quoted(a);
  }
  return line;
}

}  // namespace vask
