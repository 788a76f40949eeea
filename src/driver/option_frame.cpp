// The frame option (--frame, --frame-aa): one or two residue specifications
// of the form [model.]chain.name.number[.icode] (or shorter), each with an
// optional frame kind and view after a delimiter, as in A.G.15-pair:minor.
#include <cctype>
#include <string>
#include <vector>

#include "driver/option.hpp"
#include "support/arrays.hpp"
#include "support/error.hpp"
#include "support/frame_file.hpp"
#include "support/json_writer.hpp"
#include "support/log.hpp"
#include "support/number.hpp"
#include "support/option_value.hpp"
#include "support/pattern_matcher.hpp"
#include "support/settings.hpp"
#include "support/string.hpp"

namespace vask {

namespace {

// The view named in text by a whole word: 1 "edge" or "minor", 2 "major",
// 90 "90"; 0 none.
long view_word(const std::string& text) {
  std::string word;
  long view = 0;
  auto take = [&word, &view]() {
    const std::string w = lower_copy(word);
    if (view == 0 && (w == "edge" || w == "minor")) view = 1;
    if (view == 0 && w == "major") view = 2;
    if (view == 0 && w == "90") view = 90;
    word.clear();
  };
  for (char c : text) {
    if (std::isalnum(static_cast<unsigned char>(c)))
      word += c;
    else
      take();
  }
  take();
  return view;
}

int frame_type_word(const std::string& text) {
  const char* s = text.c_str();
  if (zor_ncmatch(s, "pho|po4")) return 1;
  if (zor_ncmatch(s, "sug")) return 2;
  if (zor_ncmatch(s, "pep")) return 3;
  if (zor_ncmatch(s, "sid|cha")) return 4;
  if (zor_ncmatch(s, "pla")) return 5;
  if (zor_ncmatch(s, "best|pair|wc")) return 9;
  if (zor_ncmatch(s, "G[-_]?(4|QUA|TET)")) return 10;
  return 0;
}

long frame_number(const std::string& field, const std::string& text) {
  const long n = cvt2long(field);
  if (n == LONG_MAX) fatal("wrong frame option: '%s'\n", text.c_str());
  return n;
}

}  // namespace

void derive_one_frameID(const std::string& text, frame_spec& spec) {
  std::string delims = "&:;,|+";
  if (text.find(".-") == std::string::npos && !text.starts_with("-1")) delims += '-';
  const size_t cut = text.find_first_of(delims);
  std::string part = text.substr(0, cut);
  const std::string rest = cut == std::string::npos ? "" : text.substr(cut + 1);
  if (part.starts_with(".")) part.insert(part.begin(), '*');
  if (part.ends_with(".")) part += "*";
  std::vector<std::string> f;
  const long n = split_str_by_sep_char(part, f, 6, '.');
  spec = frame_spec{};
  auto set_name = [&spec](const std::string& name) {
    spec.name = name.starts_with("*") ? "***" : sformat("%3.3s", name.c_str());
  };
  switch (n) {
    case 1: spec.number = frame_number(f[1], text); break;
    case 2:
      spec.chain = f[1];
      spec.number = frame_number(f[2], text);
      break;
    case 3:
      spec.chain = f[1];
      set_name(f[2]);
      spec.number = frame_number(f[3], text);
      break;
    case 4:
    case 5: {
      const bool any = f[1].empty() || f[1][0] == '*' || f[1][0] == '?';
      spec.model = any ? -1 : frame_number(f[1], text);
      if (spec.model < 0) spec.model = -1;
      spec.chain = f[2];
      set_name(f[3]);
      spec.number = frame_number(f[4], text);
      if (n == 5) spec.icode = f[5].empty() || f[5][0] == '?' ? '*' : f[5][0];
      break;
    }
    default: fatal("wrong frame option: '%s'\n", text.c_str());
  }
  if (spec.chain.empty()) spec.chain.push_back('*');
  spec.frame_type = frame_type_word(rest);
  spec.view = view_word(rest);
}

void derive_frame_setting(const char* option) {
  std::vector<std::string> words;
  const long n = with_optional_endEqual(option)
                     ? 0
                     : split_str_by_strtok(get_strvalue(option, false), words, 2, " \t");
  if (n == 0) {
    runlog_msg("[i] ignore invalid option: %s\n", option);
    return;
  }
  derive_one_frameID(words[1], mutable_gvars().frame_opt[0]);
  mutable_gvars().frame_given = 1;
  if (n < 2) return;
  derive_one_frameID(words[2], mutable_gvars().frame_opt[1]);
  mutable_gvars().frame_two = zor_ncmatch(option, "heli") ? 2 : 1;
  if (mutable_gvars().frame_opt[0].view == 0 && mutable_gvars().frame_opt[1].view == 0)
    mutable_gvars().frame_opt[0].view = view_word(option);
}

void derive_frame_aa_setting(const char* option) {
  const std::string word = std::string(option).substr(0, 511) + ":sidechain";
  derive_frame_setting(word.c_str());
}

}  // namespace vask
