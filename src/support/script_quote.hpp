// Names and texts written into generated scripts, each in the form its
// reader takes back unchanged: PyMOL and Jmol scripts, sh scripts, comments.
// A name a reader cannot take back as it is ends the run with "[e] ...",
// before it could become a command there.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vask {

// A file name between double quotes, as PyMOL's load reads it. Refused: a
// name holding a double quote, a backslash, a '$' (PyMOL expands variables in
// file names), a control character such as a line break, or a '(' or '['
// without its closing partner. A relative name starting with a character
// PyMOL or Jmol would read as a prefix ('~', '=', '$', ...) gets "./" in front.
std::string pymol_quoted(const std::string& name);
// The same for Jmol's load (refused: double quote, backslash, control character).
std::string jmol_quoted(const std::string& name);
// A file name as PyMOL's png and save take it: unquoted, so refused as for
// pymol_quoted and also when it holds ',', ';' or '=' or starts or ends with
// a blank.
std::string pymol_bare_name(const std::string& name);

// A chain id or residue name written into a PyMOL or Jmol selection as it
// stands: true when made of letters, digits, '_', '-' and '.' only.
bool is_plain_selection_word(std::string_view word);

// Text that may follow "select NAME" in a PyMOL script: letters, digits,
// blanks and "+-.,:*'()/" only (the '/' of the slash notation our own
// stacking files use).
bool is_selection_expression(std::string_view text);

// Comment text: every control character (a line break among them) as '?';
// for PyMOL and Jmol, which split a line at ';' even inside a comment and join
// a line ending in '\' with the next, also ';' as ',' and '\' as '/'.
std::string shell_comment_text(std::string_view text);
std::string pymol_comment_text(std::string_view text);

// Text with its control characters as '?', for messages that show a name.
std::string printable_text(std::string_view text);

// The word as sh reads it back unchanged: as it is when made only of
// characters sh leaves alone, else in single quotes (a ' inside as '\'').
std::string shell_quoted(const std::string& word);
// The words quoted and joined by blanks: one line a shell script can run.
std::string shell_command_line(const std::vector<std::string>& args);

}  // namespace vask
