// Values of the tokens of a parsed configuration text.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "support/config_tokenizer.hpp"

namespace vask {

// Values of configuration tokens.

std::string extract_strvalue_by_token(const json_token& t, std::string_view text);
long extract_lvalue_by_token(const json_token& t, std::string_view text);    // LONG_MAX: invalid
double extract_dvalue_by_token(const json_token& t, std::string_view text);  // DBL_MAX: invalid
// The three numbers of the array after the first size-0 string or primitive
// token matching tag (case-insensitive pattern), into out[1..3].
void extract_tag_followed_by_3dvals(const parsed_config& cfg, const char* tag,
                                    std::array<double, 4>& out);  // an xyz

}  // namespace vask
