// Configuration token values: see config_value.hpp.
#include "support/config_value.hpp"

#include "support/config_tokenizer.hpp"
#include "support/error.hpp"
#include "support/number.hpp"
#include "support/pattern_matcher.hpp"

namespace vask {

std::string extract_strvalue_by_token(const json_token& t, std::string_view text) { return token_text(t, text); }

long extract_lvalue_by_token(const json_token& t, std::string_view text) { return cvt2long(token_text(t, text)); }

double extract_dvalue_by_token(const json_token& t, std::string_view text) {
  return cvt2double(token_text(t, text));
}

void extract_tag_followed_by_3dvals(const parsed_config& cfg, const char* tag, std::array<double, 4>& out) {
  const long n = cfg.num_tokens;
  long k = 0;
  for (; k < n; ++k) {
    const json_token& t = cfg.tokens[static_cast<size_t>(k)];
    if (t.size == 0 && (t.type == JSMN_PRIMITIVE || t.type == JSMN_STRING) &&
        zor_ncmatch(token_text(t, cfg.text), tag))
      break;
  }
  if (k == n) fatal("[e] cannot find required tag '%s'\n", tag);
  if (k + 4 >= n || cfg.tokens[static_cast<size_t>(k + 1)].size != 3)
    fatal("[e] tag '%s' must be followed by a three-number [array]\n", tag);
  for (long i = 1; i <= 3; ++i) {
    const json_token& t = cfg.tokens[static_cast<size_t>(k + 1 + i)];
    double v = cvt2double(token_text(t, cfg.text));
    if (!valid_dNumber(v))
      fatal("[e] tag '%s': array contains invalid element (%s)\n", tag, token_text(t, cfg.text).c_str());
    out[static_cast<size_t>(i)] = v;
  }
}

}  // namespace vask
