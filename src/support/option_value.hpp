// Option values: the text after the first '=' of an option argument, checked
// numbers and ranges, the usage exit for a malformed option.
#pragma once

#include <string>
#include <string_view>

namespace vask {

// Option values: the text after the first '=' of an option argument.
//
// The usage exit for a malformed option (no '='): the driver installs its
// own handler (help of the active sub-command); without one, a bell and the
// main program's help hint, status 1.
extern void (*say_good_bye_handler)();
[[noreturn]] void usage_exit();

std::string get_strvalue(std::string_view option, bool expand_home);  // "~" -> $HOME
std::string get_strvalue0(std::string_view text, bool expand_home);
// The default when the option has no value (bare key or "key=").
std::string get_strvalue_with_default(std::string_view option, bool expand_home,
                                      std::string_view dft);
long get_lvalue(std::string_view option, long lo, long hi);        // checked, [lo, hi]
double get_dvalue(std::string_view option, double lo, double hi);  // checked, [lo, hi]
long equal_sign_pos(std::string_view option);                      // offset of the value
bool with_optional_endEqual(std::string_view option);              // no value given
int extract_case_option(std::string_view option);                  // -1, 0 or 1

// The backbone-type option: 'A', 'B', 'R' or 'N' (dft when absent or unknown).
char derive_backbone_type(std::string_view arg, char dft);

}  // namespace vask
