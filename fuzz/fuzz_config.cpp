// The configuration tokenizer on arbitrary bytes: once straight on the text
// with a token array that starts tiny and grows (the resumable path), once
// through the file reader and the view-frame options that consume tokens.
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "driver/option.hpp"
#include "common.hpp"
#include "support/config_tokenizer.hpp"
#include "support/error.hpp"

namespace {

void check_tokens(const vask::jsmn_parser& p, const std::vector<vask::json_token>& tokens,
                  std::string_view text) {
  for (long i = 0; i < p.toknext; ++i) {
    const vask::json_token& t = tokens[static_cast<size_t>(i)];
    if (t.start < 0 || t.start > static_cast<long>(text.size())) std::abort();
    if (t.end != -1 && (t.end < t.start || t.end > static_cast<long>(text.size()))) std::abort();
    (void)vask::token_text(t, text);
  }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::reset_globals();
  std::string_view text(reinterpret_cast<const char*>(data), size);

  vask::jsmn_parser p;
  vask::jsmn_init(p);
  std::vector<vask::json_token> tokens = vask::allocate_tokens_array(1);
  int r = vask::jsmn_parse(p, text, tokens);
  for (int rounds = 0; r == vask::JSMN_ERROR_NOMEM && rounds < 40; ++rounds) {
    vask::reallocate_tokens_array(tokens, 2 * static_cast<long>(tokens.size()));
    r = vask::jsmn_parse(p, text, tokens);
  }
  if (r == vask::JSMN_ERROR_NOMEM) std::abort();  // 2^40 tokens never run out
  check_tokens(p, tokens, text);

  static const std::string file = "fuzz-config.txt";
  FILE* fp = std::fopen(file.c_str(), "wb");
  if (fp == nullptr) return 0;
  std::fwrite(data, 1, size, fp);
  std::fclose(fp);
  try {
    vask::parsed_config cfg;
    vask::parse_config(cfg, file);
    vask::free_config(cfg);
  } catch (const vask::fatal_error& e) {
    fuzz::expected_end(e);
  }
  for (const char* key : {"--view-pos=", "--view-mat="}) {
    const std::string option = key + file;
    try {
      if (key[7] == 'p')
        vask::derive_view_pos_frame(option.c_str());
      else
        (void)vask::derive_view_mat_frame(option.c_str());
    } catch (const vask::fatal_error& e) {
      fuzz::expected_end(e);
    }
  }
  return 0;
}
