// Configuration tokenizer: see config_tokenizer.hpp.
#include "support/config_tokenizer.hpp"

#include <cstdio>

#include "support/error.hpp"
#include "support/file.hpp"
#include "support/log.hpp"
#include "support/string.hpp"

namespace vask {

namespace {

json_token* alloc_token(jsmn_parser& p, std::vector<json_token>& tokens) {
  if (p.toknext >= static_cast<long>(tokens.size())) return nullptr;
  json_token& t = tokens[static_cast<size_t>(p.toknext++)];
  t = json_token{};
  return &t;
}

void grow_super(jsmn_parser& p, std::vector<json_token>& tokens) {
  if (p.toksuper != -1) tokens[static_cast<size_t>(p.toksuper)].size++;
}

bool at_end(const jsmn_parser& p, std::string_view text) {
  return p.pos >= static_cast<long>(text.size()) || text[static_cast<size_t>(p.pos)] == '\0';
}

int parse_primitive(jsmn_parser& p, std::string_view text, std::vector<json_token>& tokens) {
  const long start = p.pos;
  for (; !at_end(p, text); p.pos++) {
    unsigned char c = static_cast<unsigned char>(text[static_cast<size_t>(p.pos)]);
    if (c == '\t' || c == '\r' || c == '\n' || c == ' ' || c == ',' || c == ':' || c == '=' ||
        c == ']' || c == '}')
      break;
    if (c < 32) {  // bytes above 126 (UTF-8 text) are ordinary characters
      p.pos = start;
      return JSMN_ERROR_INVAL;
    }
  }
  json_token* t = alloc_token(p, tokens);
  if (t == nullptr) {
    p.pos = start;
    return JSMN_ERROR_NOMEM;
  }
  t->type = JSMN_PRIMITIVE;
  t->start = start;
  t->end = p.pos;
  p.pos--;  // the delimiter is read next
  return JSMN_SUCCESS;
}

int parse_string(jsmn_parser& p, std::string_view text, std::vector<json_token>& tokens) {
  const long start = p.pos;
  for (p.pos++; !at_end(p, text); p.pos++) {
    char c = text[static_cast<size_t>(p.pos)];
    if (c == '"') {
      json_token* t = alloc_token(p, tokens);
      if (t == nullptr) {
        p.pos = start;
        return JSMN_ERROR_NOMEM;
      }
      t->type = JSMN_STRING;
      t->start = start + 1;
      t->end = p.pos;
      return JSMN_SUCCESS;
    }
    if (c == '\\') {
      p.pos++;
      if (at_end(p, text)) break;
      switch (text[static_cast<size_t>(p.pos)]) {
        case '"': case '/': case '\\': case 'b': case 'f': case 'r': case 'n': case 't': case 'u':
          break;
        default:
          p.pos = start;
          return JSMN_ERROR_INVAL;
      }
    }
  }
  p.pos = start;
  return JSMN_ERROR_PART;
}

}  // namespace

void jsmn_init(jsmn_parser& p) { p = jsmn_parser{}; }

int jsmn_parse(jsmn_parser& p, std::string_view text, std::vector<json_token>& tokens) {
  for (size_t i = static_cast<size_t>(p.toknext); i < tokens.size(); ++i) tokens[i] = json_token{};
  for (; !at_end(p, text); p.pos++) {
    char c = text[static_cast<size_t>(p.pos)];
    switch (c) {
      case '{':
      case '[': {
        json_token* t = alloc_token(p, tokens);
        if (t == nullptr) return JSMN_ERROR_NOMEM;
        grow_super(p, tokens);
        t->type = c == '{' ? JSMN_OBJECT : JSMN_ARRAY;
        t->start = p.pos;
        p.toksuper = p.toknext - 1;
        break;
      }
      case '}':
      case ']': {
        const int type = c == '}' ? JSMN_OBJECT : JSMN_ARRAY;
        long i = p.toknext - 1;
        for (; i >= 0; --i) {
          json_token& t = tokens[static_cast<size_t>(i)];
          if (t.start != -1 && t.end == -1) {
            if (t.type != type) return JSMN_ERROR_INVAL;
            t.end = p.pos + 1;
            break;
          }
        }
        if (i == -1) return JSMN_ERROR_INVAL;
        p.toksuper = -1;
        for (--i; i >= 0; --i) {
          const json_token& t = tokens[static_cast<size_t>(i)];
          if (t.start != -1 && t.end == -1) {
            p.toksuper = i;
            break;
          }
        }
        break;
      }
      case '"': {
        int r = parse_string(p, text, tokens);
        if (r < 0) return r;
        grow_super(p, tokens);
        break;
      }
      case '\t': case '\r': case '\n': case ' ': case ',': case ':': case '=':
        break;
      default: {
        int r = parse_primitive(p, text, tokens);
        if (r < 0) return r;
        grow_super(p, tokens);
        break;
      }
    }
  }
  for (long i = p.toknext - 1; i >= 0; --i) {
    const json_token& t = tokens[static_cast<size_t>(i)];
    if (t.start != -1 && t.end == -1) return JSMN_ERROR_PART;
  }
  return JSMN_SUCCESS;
}

std::vector<json_token> allocate_tokens_array(long n) {
  VASK_ASSERT(n >= 0);
  return std::vector<json_token>(static_cast<size_t>(n));
}

void reallocate_tokens_array(std::vector<json_token>& tokens, long n) {
  VASK_ASSERT(n >= 0);
  tokens.resize(static_cast<size_t>(n));
}

std::string token_text(const json_token& t, std::string_view text) {
  if (t.start < 0 || t.end < t.start || t.end > static_cast<long>(text.size())) return {};
  return std::string(text.substr(static_cast<size_t>(t.start), static_cast<size_t>(t.end - t.start)));
}

void parse_config(parsed_config& cfg, const std::string& file_name) {
  std::string text = get_clean_filestr(file_name);
  long capacity = get_number_of_space_separated_items(text) + 9;
  std::vector<json_token> tokens = allocate_tokens_array(capacity);
  jsmn_parser p;
  jsmn_init(p);
  int r = jsmn_parse(p, text, tokens);
  if (r == JSMN_ERROR_NOMEM) {
    runlog_msg("double number of tokens ...\n");
    reallocate_tokens_array(tokens, 2 * capacity);
    r = jsmn_parse(p, text, tokens);
  }
  if (r != JSMN_SUCCESS) fatal("error in parsing file '%s'\n", file_name.c_str());
  tokens.resize(static_cast<size_t>(p.toknext));
  cfg.file_name = file_name;
  cfg.text = std::move(text);
  cfg.num_tokens = p.toknext;
  cfg.tokens = std::move(tokens);
  if (verbose2()) print_tokens(cfg);
}

void free_config(parsed_config& cfg) { cfg = parsed_config{}; }

namespace {
constexpr int SHOWN_CHARS = 60;  // longer texts are shown as their start and " ..."

void print_shortened(FILE* fp, std::string_view s, const char* before, const char* after) {
  std::fputs(before, fp);
  if (s.size() > SHOWN_CHARS)
    std::fprintf(fp, "%.*s ...", SHOWN_CHARS, std::string(s).c_str());
  else
    std::fprintf(fp, "%s", std::string(s).c_str());
  std::fputs(after, fp);
}
}  // namespace

void print_tokens(const parsed_config& cfg) {
  scoped_file sf(create_file("check_config.dat"));
  FILE* fp = sf.get();
  std::fprintf(fp, "Parsing result of file '%s'\n\n", cfg.file_name.c_str());
  std::fprintf(fp, "%ld tokens in ", cfg.num_tokens);
  print_shortened(fp, cfg.text, "'", "'\n\n");
  for (long i = 0; i < cfg.num_tokens; ++i) {
    const json_token& t = cfg.tokens[static_cast<size_t>(i)];
    std::fprintf(fp, "#%ld", i);
    if (t.size != 0)
      std::fprintf(fp, "(%ld)", t.size);
    else
      std::fprintf(fp, "(.)");
    std::fprintf(fp, "\t%3ld: %ld-%ld\t", t.end - t.start, t.start, t.end);
    if (t.type == JSMN_PRIMITIVE)
      std::fprintf(fp, ".");
    else
      std::fprintf(fp, "%d", t.type);
    print_shortened(fp, token_text(t, cfg.text), " ", "\n");
  }
  sf.close();
}

}  // namespace vask
