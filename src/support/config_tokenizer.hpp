// Configuration tokenizer: a relaxed JSON notation (objects, arrays, quoted
// strings and bare primitives; ":" or "=" between key and value; commas
// optional) split into a flat array of tokens that point into the text.
//
// Used on whole configuration files (parse_config) and, line by line, by the
// comment stripper to tell a '#' inside quotes from a comment.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vask {

enum json_type : int { JSMN_PRIMITIVE = 0, JSMN_OBJECT = 1, JSMN_ARRAY = 2, JSMN_STRING = 3 };

enum jsmn_status : int {
  JSMN_SUCCESS = 0,
  JSMN_ERROR_NOMEM = -1,  // the token array is full: enlarge it and call again
  JSMN_ERROR_INVAL = -2,  // an invalid character or a mismatched closing bracket
  JSMN_ERROR_PART = -3,   // the text ends inside a string or an open object/array
};

struct json_token {
  int type = JSMN_PRIMITIVE;
  long start = -1;  // first character (0-based); -1 while the token is free
  long end = -1;    // one past the last character; -1 while an object/array is open
  long size = 0;    // direct children (keys and values each count)
};

struct jsmn_parser {
  long pos = 0;        // next character to read
  long toknext = 0;    // next token to hand out
  long toksuper = -1;  // innermost open object or array; -1 at top level
};

void jsmn_init(jsmn_parser& p);

// Tokenizes text (up to its end or first NUL) into tokens, whose size is the
// capacity. The parser state survives between calls, so after
// JSMN_ERROR_NOMEM the caller may enlarge tokens and call again. The number of
// tokens used is p.toknext.
int jsmn_parse(jsmn_parser& p, std::string_view text, std::vector<json_token>& tokens);

// A parsed configuration file.
struct parsed_config {
  std::string file_name;
  std::string text;  // the file with comments and blank lines removed
  long num_tokens = 0;
  std::vector<json_token> tokens;  // 0-based
};

// Reads, cleans and tokenizes a file; any failure ends the run.
void parse_config(parsed_config& cfg, const std::string& file_name);
void free_config(parsed_config& cfg);
// Writes the token listing of cfg to "check_config.dat".
void print_tokens(const parsed_config& cfg);
// The token text [start, end) of a token.
std::string token_text(const json_token& t, std::string_view text);

std::vector<json_token> allocate_tokens_array(long n);
void reallocate_tokens_array(std::vector<json_token>& tokens, long n);

}  // namespace vask
