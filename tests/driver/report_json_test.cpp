// The JSON report, the ensemble frame and the list runs end to end: every
// JSON output goes through the strict checker, and the run goes on past a
// structure that cannot be read or has no nucleotides.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "json_check.hpp"
#include "support/file.hpp"
#include "support/json_writer.hpp"
#include "support/settings.hpp"
#include "test_util.hpp"

namespace vask {
namespace {

namespace fs = std::filesystem;

size_t count_of(const std::string& text, const std::string& part) {
  size_t n = 0;
  for (size_t p = text.find(part); p != std::string::npos; p = text.find(part, p + part.size())) ++n;
  return n;
}

bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST(JsonChecker, accepts_json_and_rejects_the_rest) {
  const struct {
    const char* text;
    bool ok;
  } cases[] = {
      {R"({"a":[1,-2.5e+3,0.1,true,false,null],"b":{"c":"\"\\\/\b\f\n\r\t\u00e9"}})", true},
      {"[]", true},
      {" {} \n", true},
      {"\"caf\xc3\xa9\"", true},
      {"{\"a\":1,}", false},
      {"[1,]", false},
      {"{\"a\":nan}", false},
      {"{\"a\":inf}", false},
      {"[01]", false},
      {"[1.]", false},
      {"\"a\tb\"", false},
      {"\"\\x\"", false},
      {"\"\xe9\"", false},
      {"{}{}", false},
      {"{\"a\" 1}", false},
      {"", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(test::json_error(c.text).empty(), c.ok) << test::json_error(c.text);
  }
}

TEST(JsonWriter, strings_are_escaped_for_valid_json) {
  set_globals("belqo-vask");
  const std::string raw = "a\"b\\c\x01\x1f\ttab caf\xc3\xa9 latin\xe9 cut\xc3";
  std::string out(1, '"');
  out += escaped_json_string(raw);
  out += '"';
  EXPECT_EQ(test::json_error(out), "") << out;
  EXPECT_TRUE(has(out, "\\u0001\\u001f\\t"));
  EXPECT_TRUE(has(out, "caf\xc3\xa9 latin\\u00e9 cut\\u00c3"));
}

struct exe_result {
  int status = -1;
  std::string out, err;
};

// Runs the executable in a fresh temporary folder.
class JsonExe : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string tmpl = (fs::temp_directory_path() / "vask-json-XXXXXX").string();
    ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
    dir_ = tmpl;
  }
  void TearDown() override { fs::remove_all(dir_); }
  void copy_data(const std::string& name, const std::string& as = "") {
    fs::copy_file(test::test_data(name), dir_ / (as.empty() ? name : as));
  }
  void write(const std::string& name, const std::string& text) { std::ofstream(dir_ / name) << text; }
  std::string file(const std::string& name) { return test::read_file((dir_ / name).string()); }
  exe_result run(const std::string& args) {
    std::string cmd = "cd '" + dir_.string() + "' && '" VASK_EXE "' " + args + " >stdout.txt 2>stderr.txt";
    int rc = std::system(cmd.c_str());
    exe_result r;
    r.status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
    r.out = file("stdout.txt");
    r.err = file("stderr.txt");
    return r;
  }
  fs::path dir_;
};

// One compact line of valid JSON.
void expect_json_line(const std::string& text) {
  EXPECT_EQ(test::json_error(text), "") << text.substr(0, 300);
  ASSERT_FALSE(text.empty());
  EXPECT_EQ(text.back(), '\n');
  EXPECT_EQ(count_of(text, "\n"), 1u);
}

TEST_F(JsonExe, report_of_1ehz_in_both_formats) {
  copy_data("1ehz.pdb");
  copy_data("1ehz.cif");
  for (const char* in : {"1ehz.pdb", "1ehz.cif"}) {
    SCOPED_TRACE(in);
    exe_result r = run(std::string("-i=") + in + " --json -o=1ehz.json");
    EXPECT_EQ(r.status, 0) << r.err;
    std::string js = file("1ehz.json");
    expect_json_line(js);
    // the sections of the analysis, then the metadata
    EXPECT_EQ(js.rfind("{\"num_pairs\":34,\"pairs\":[{\"index\":1,", 0), 0u) << js.substr(0, 80);
    // the block templates ("refCoords") close the analysis part
    EXPECT_TRUE(has(js, "\"refCoords\":{\"purine\":[\"   12 ATOMS,    12 BONDS\","));
    EXPECT_TRUE(has(js, "\"   12    12     8\"]},\"metadata\":{\"version\":\"belqo-vask v")) << js.substr(0, 80);
    EXPECT_TRUE(has(js, std::string("\"input_file\":\"") + in + "\",\"str_id\":\"1ehz\",\"num_naChains\":1,\"naChains\":\"A=76\","
                        "\"num_atoms\":1821,"
                        "\"num_waters\":160,\"num_metals\":9,\"metals_desc\":\"Mg=6,Mn=3\",\"num_notes\":52,"
                        "\"notes\":[{\"Aminors\":\"A-minor interactions (including types I and II)\"},"));
    EXPECT_TRUE(has(js, "{\"vert_dist\":\"vertical distance from an atom to a base plane\"}],"));
    EXPECT_TRUE(has(js, "],\"start_at\":\""));
    // the reference points to the user manual, the one the text header names
    EXPECT_TRUE(has(js, "\"url\":\"docs/manual.md of the belqo-vask distribution (installed as "
                        "share/belqo-vask/docs/manual.md)\","));
    // the auxiliary files the run wrote, listed by index, name and description
    EXPECT_TRUE(has(js, "\"auxfiles\":[{\"index\":1,\"name\":\"vask-") || !has(js, "\"num_auxfiles\":"));
    const size_t notes = js.find("\"notes\":[");
    EXPECT_EQ(count_of(js.substr(notes, js.find("}]", notes) - notes), "\"},{\"") + 1, 52u);  // one object each
    EXPECT_EQ(js.substr(js.size() - 4), "\"}}\n");
    EXPECT_TRUE(has(js, std::string("\"command\":\"belqo-vask -i=") + in + " --json\","));
  }
}

TEST_F(JsonExe, verbose_report_has_no_version_and_a_fixed_time) {
  copy_data("1ehz.pdb");
  exe_result r = run("-i=1ehz.pdb --json --more=9");
  EXPECT_EQ(r.status, 0) << r.err;
  expect_json_line(r.out);
  EXPECT_FALSE(has(r.out, "\"version\""));
  EXPECT_TRUE(has(r.out, ",\"time_used\":\"999\"}}"));
}

TEST_F(JsonExe, unit_id_style_adds_paths_and_counts_and_drops_the_command) {
  copy_data("1ehz.pdb");
  exe_result r = run("-i=1ehz.pdb --json --idstr=unit");
  EXPECT_EQ(r.status, 0) << r.err;
  expect_json_line(r.out);
  EXPECT_TRUE(has(r.out, "\"paths\":{\"pairs\":\"nt1,nt2\",\"multiplets\":\"nts_long\","));
  EXPECT_TRUE(has(r.out, "\"hbonds\":\"res_long;atom1_id,atom2_id\",\"nts\":\"nt_id\"},\"counts\":{"));
  EXPECT_TRUE(has(r.out, "\"nts\":76},\"metadata\":{"));
  EXPECT_FALSE(has(r.out, "\"command\""));
}

TEST_F(JsonExe, protein_gives_the_warning_object) {
  copy_data("1ubq.pdb");
  exe_result r = run("-i=1ubq.pdb --json");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "{\"warning\":\"no nucleotides found\"}\n");
}

TEST_F(JsonExe, ensemble_frame_with_all_or_selected_models) {
  copy_data("2koc.pdb");
  const std::string cif = test::test_data("2koc.cif");
  const struct {
    std::string args;
    size_t models;
    std::string ids;
  } cases[] = {
      {"-i=2koc.pdb --nmr", 20, ""},
      {"-i=2koc.pdb --nmr=1-3,8", 4, "1,2,3,8"},
      {"-i='" + cif + "' --nmr=1-3,8", 4, "1,2,3,8"},
      {"-i='" + cif + "' --nmr", 20, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args);
    exe_result r = run(c.args + " --json -o=e.json");
    EXPECT_EQ(r.status, 0) << r.err;
    std::string js = file("e.json");
    expect_json_line(js);
    EXPECT_TRUE(has(js, ",\"num_models\":" + std::to_string(c.models) + ",\"models\":[{\"index\":1,\"model\":1,"
                        "\"parameters\":{\"num_pairs\":"));
    EXPECT_EQ(count_of(js, "\"parameters\":"), c.models);
    EXPECT_TRUE(has(js, "\"num_notes\":52"));
    EXPECT_TRUE(has(js, "}}}],\"start_at\":"));  // the last model closes without a comma
    if (!c.ids.empty()) {
      EXPECT_TRUE(has(js, "{\"index\":4,\"model\":8,\"parameters\""));
    }
    // text mode wraps each model
    r = run(c.args + " -o=e.txt");
    EXPECT_EQ(r.status, 0) << r.err;
    std::string txt = file("e.txt");
    EXPECT_EQ(count_of(txt, "<model id=\""), c.models);
    EXPECT_EQ(count_of(txt, "</model>\n\n"), c.models);
    EXPECT_EQ(txt.rfind("<model id=\"1\">\n****", 0), 0u);
    if (!c.ids.empty()) {
      EXPECT_TRUE(has(txt, "<model id=\"8\">\n"));
    }
  }
}

TEST_F(JsonExe, ensemble_without_matching_models_is_an_empty_frame) {
  copy_data("2koc.pdb");
  exe_result r = run("-i=2koc.pdb --nmr=30 --json -o=e.json");
  EXPECT_EQ(r.status, 0) << r.err;
  std::string js = file("e.json");
  expect_json_line(js);
  EXPECT_EQ(js.rfind("{\"input_file\":\"2koc.pdb\",\"num_models\":0,\"models\":[],\"start_at\":", 0), 0u) << js;
  r = run("-i=2koc.pdb --nmr=30 -o=e.txt");
  EXPECT_EQ(file("e.txt"), "");
}

TEST_F(JsonExe, ensemble_goes_on_past_a_model_without_atoms) {
  // model 2 of 2koc with its atoms removed
  std::ifstream in(test::test_data("2koc.pdb"));
  std::string line, text;
  long model = 0;
  while (std::getline(in, line)) {
    if (line.rfind("MODEL ", 0) == 0) ++model;
    if (model == 2 && (line.rfind("ATOM", 0) == 0 || line.rfind("HETATM", 0) == 0)) continue;
    text += line + "\n";
  }
  write("gap.pdb", text);
  for (const char* pass : {"", " --one-model=off"}) {
    SCOPED_TRACE(pass);
    exe_result r = run(std::string("-i=gap.pdb --nmr=1-3 --json -o=e.json") + pass);
    EXPECT_EQ(r.status, 1);
    std::string js = file("e.json");
    expect_json_line(js);
    EXPECT_EQ(count_of(js, "\"parameters\":"), 3u);
    EXPECT_TRUE(has(js, "{\"index\":2,\"model\":2,\"parameters\":{\"input_file\":\"gap.pdb\",\"error\":\"[e] no "
                        "model#2 found in 'gap.pdb'\"}},{\"index\":3,\"model\":3,\"parameters\":{\"num_pairs\":"))
        << js.substr(0, 400);
    EXPECT_TRUE(has(r.err, "[e] no model#2 found in 'gap.pdb'\n"));
  }
}

TEST_F(JsonExe, list_run_with_one_report_per_file) {
  fs::create_directory(dir_ / "sub");
  copy_data("1ehz.pdb");
  copy_data("1ehz.cif", "sub/1ehz.CIF");  // same base name, upper-case extension
  copy_data("1ubq.pdb");
  write("empty.ent", "REMARK no atoms\n");
  write("list.txt", "1ehz.pdb\nsub/1ehz.CIF\n# a comment\n1ubq.pdb\nempty.ent\nlist.txt\n");
  exe_result r = run("--ilist=list.txt --json -o=r-");
  EXPECT_EQ(r.status, 1);  // one file could not be read
  EXPECT_TRUE(has(r.err, "Processing 4 coordinate files in 'list.txt'\n")) << r.err;
  std::string first = file("r-1ehz.json"), second = file("r-1ehz_2.json");
  expect_json_line(first);
  expect_json_line(second);
  EXPECT_TRUE(has(first, "\"input_file\":\"1ehz.pdb\""));
  EXPECT_TRUE(has(second, "\"input_file\":\"sub/1ehz.CIF\""));
  EXPECT_TRUE(has(r.err, "[w] 'r-1ehz.json' already written in this run: 'sub/1ehz.CIF' goes to 'r-1ehz_2.json'\n"));
  EXPECT_EQ(file("r-1ubq.json"), "{\"warning\":\"no nucleotides found\"}\n");
  std::string bad = file("r-empty.json");
  expect_json_line(bad);
  EXPECT_TRUE(has(bad, "\"error\":\"[e] no ATOM/HETATM records found in 'empty.ent'\""));
  // text: "File name:" names the file read
  r = run("--ilist=list.txt -o=t-");
  EXPECT_TRUE(has(file("t-1ehz_2.out"), "File name: 1ehz.CIF\n"));
}

TEST_F(JsonExe, list_run_into_one_file) {
  copy_data("1ehz.pdb");
  copy_data("1ubq.pdb");
  const std::string odd = "q\"uote\\lat\xe9.pdb";  // a file name JSON must escape
  copy_data("1ehz.pdb", odd);
  write("list.txt", "1ehz.pdb\n1ubq.pdb\n" + odd + "\n");
  exe_result r = run("--ilist=list.txt --json -o=ONE:all.json");
  EXPECT_EQ(r.status, 0) << r.err;
  std::string js = file("all.json");
  expect_json_line(js);
  EXPECT_EQ(js.rfind("[{\"num_pairs\":34,", 0), 0u);
  EXPECT_TRUE(has(js, "}},{\"warning\":\"no nucleotides found\"},{\"num_pairs\":34,"));
  EXPECT_TRUE(has(js, "\"input_file\":\"q\\\"uote\\\\lat\\u00e9.pdb\""));
  EXPECT_EQ(js.substr(js.size() - 3), "}]\n");
  r = run("--ilist=list.txt -o=one:all.txt");
  std::string txt = file("all.txt");
  EXPECT_EQ(txt.rfind("<model id=\"1ehz\">\n", 0), 0u);
  EXPECT_TRUE(has(txt, "</model>\n\n<model id=\"1ubq\">\n"));
  EXPECT_TRUE(has(txt, "\nno nucleotides found\n</model>\n\n"));
  // "one:" only as the leading word selects the one-file form
  r = run("--ilist=list.txt -o=xone:");
  EXPECT_TRUE(fs::exists(dir_ / "xone:1ehz.out"));
}

}  // namespace
}  // namespace vask
