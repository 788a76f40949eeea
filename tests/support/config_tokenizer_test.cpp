#include "support/config_tokenizer.hpp"
#include "test_util.hpp"

#include <gtest/gtest.h>

#include <filesystem>

namespace vask {

namespace {
struct parsed {
  int status;
  std::vector<json_token> tokens;
};

parsed parse(std::string_view text, size_t capacity = 32) {
  jsmn_parser p;
  std::vector<json_token> tokens(capacity);
  int r = jsmn_parse(p, text, tokens);
  tokens.resize(static_cast<size_t>(p.toknext));
  return {r, tokens};
}
}  // namespace

TEST(jsmn_parse, KeyValueSeparatorsGiveTheSameTokens) {
  for (const char* text : {"position = [1, 2, 3]", "position: [1 2 3]"}) {
    SCOPED_TRACE(text);
    parsed r = parse(text);
    ASSERT_EQ(r.status, JSMN_SUCCESS);
    ASSERT_EQ(r.tokens.size(), 5u);
    EXPECT_EQ(r.tokens[0].type, JSMN_PRIMITIVE);
    EXPECT_EQ(token_text(r.tokens[0], text), "position");
    EXPECT_EQ(r.tokens[1].type, JSMN_ARRAY);
    EXPECT_EQ(r.tokens[1].size, 3);
    EXPECT_EQ(token_text(r.tokens[4], text), "3");
  }
}

TEST(jsmn_parse, ResumesAfterTheTokenArrayIsEnlarged) {
  std::string text = R"({"a":1})";
  jsmn_parser p;
  std::vector<json_token> tokens(2);
  EXPECT_EQ(jsmn_parse(p, text, tokens), JSMN_ERROR_NOMEM);
  EXPECT_EQ(p.toknext, 2);
  tokens.resize(3);
  EXPECT_EQ(jsmn_parse(p, text, tokens), JSMN_SUCCESS);
  EXPECT_EQ(p.toknext, 3);
  EXPECT_EQ(tokens[0].type, JSMN_OBJECT);
  EXPECT_EQ(tokens[0].size, 2);
  EXPECT_EQ(tokens[0].end, 7);
  EXPECT_EQ(tokens[1].type, JSMN_STRING);
  EXPECT_EQ(token_text(tokens[1], text), "a");
}

TEST(jsmn_parse, StatusOfMalformedTexts) {
  const struct {
    const char* text;
    int want;
  } cases[] = {
      {"", JSMN_SUCCESS},
      {"[1, 2", JSMN_ERROR_PART},
      {"[1, 2}", JSMN_ERROR_INVAL},
      {"]", JSMN_ERROR_INVAL},
      {R"("a \" b")", JSMN_SUCCESS},
      {R"("a \x b")", JSMN_ERROR_INVAL},
      {R"("open)", JSMN_ERROR_PART},
      {"a\x01z", JSMN_ERROR_INVAL},
      {"name = \xc3\xa9t\xc3\xa9", JSMN_SUCCESS},  // UTF-8 bytes are ordinary characters
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(parse(c.text).status, c.want);
  }
}

TEST(parse_config, ReadsACommentedFileAndListsItsTokens) {
  namespace fs = std::filesystem;
  fs::path saved = fs::current_path();
  std::string tmpl = (fs::temp_directory_path() / "vask-jsmn-XXXXXX").string();
  std::string dir = mkdtemp(tmpl.data());
  fs::current_path(dir);
  {
    FILE* fp = std::fopen("frame.txt", "w");
    // more tokens than blank-separated items: the array must be enlarged once
    std::fputs("# frame\n{\"pos1\":[1,2,3],\"pos2\":[4,5,6],\"pos3\":[7,8,9]}  # end\n", fp);
    std::fclose(fp);
    parsed_config cfg;
    test::log_capture log;
    parse_config(cfg, "frame.txt");
    EXPECT_EQ(log.text(), "double number of tokens ...\n");
    EXPECT_EQ(cfg.text, "{\"pos1\":[1,2,3],\"pos2\":[4,5,6],\"pos3\":[7,8,9]}");
    EXPECT_EQ(cfg.num_tokens, 16);
    print_tokens(cfg);
    std::string listing = test::read_file("check_config.dat");
    EXPECT_EQ(listing.substr(0, listing.find("#0")),
              "Parsing result of file 'frame.txt'\n\n16 tokens in "
              "'{\"pos1\":[1,2,3],\"pos2\":[4,5,6],\"pos3\":[7,8,9]}'\n\n");
    EXPECT_NE(listing.find("#0(6)\t 46: 0-46\t1 {"), std::string::npos);
    EXPECT_NE(listing.find("#1(.)\t  4: 2-6\t3 pos1\n"), std::string::npos);
    EXPECT_NE(listing.find("#3(.)\t  1: 9-10\t. 1\n"), std::string::npos);

    fp = std::fopen("bad.txt", "w");
    std::fputs("[1, 2}\n", fp);
    std::fclose(fp);
    EXPECT_EQ(test::fatal_message([&] { parse_config(cfg, "bad.txt"); }), "error in parsing file 'bad.txt'\n");
  }
  fs::current_path(saved);
  fs::remove_all(dir);
}

}  // namespace vask
