// The executable on bad input: broken, hostile or odd coordinate files, list
// files and option values. Every run must end by itself within seconds with
// its documented status and a message, never by a signal or a sanitizer
// report, and must leave the user's files alone: afterwards the working
// folder holds only what was there, the named output and prefix-named files.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <fcntl.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "pairing/prepare.hpp"
#include "structure/struct_mol.hpp"
#include "support/file.hpp"
#include "test_util.hpp"

namespace vask {
namespace {

namespace fs = std::filesystem;

constexpr int kEither = -1;  // exit status 0 or 1 both documented
// A run may use this much processor time (sanitizer builds included); the
// wall-clock guard only stops a child that hangs, since a loaded machine can
// stretch any run.
constexpr double kCpuLimit = 15.0;
constexpr auto kWallGuard = std::chrono::seconds(120);

struct child_result {
  bool timed_out = false;
  double cpu_seconds = 0;
  int signal = 0;   // non-zero when a signal ended the child
  int status = -1;  // exit status
  std::string out, err;
};

// Runs the executable with args in dir, standard output and error captured
// in files beside dir (so they are not part of the folder's contents).
// max_files > 0 lowers the child's limit of open descriptors.
child_result run_exe(const fs::path& dir, const std::vector<std::string>& args, long max_files = 0) {
  const fs::path out_file = dir.parent_path() / "stdout.txt";
  const fs::path err_file = dir.parent_path() / "stderr.txt";
  std::vector<std::string> words{VASK_EXE};
  words.insert(words.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& w : words) argv.push_back(w.data());
  argv.push_back(nullptr);

  pid_t pid = fork();
  if (pid == 0) {
    int o = open(out_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    int e = open(err_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (o < 0 || e < 0 || chdir(dir.c_str()) != 0) _exit(126);
    if (max_files > 0) {
      struct rlimit lim {static_cast<rlim_t>(max_files), static_cast<rlim_t>(max_files)};
      if (setrlimit(RLIMIT_NOFILE, &lim) != 0) _exit(126);
    }
    dup2(o, 1);
    dup2(e, 2);
    execv(VASK_EXE, argv.data());
    _exit(127);
  }
  child_result r;
  int ws = 0;
  struct rusage ru {};
  const auto deadline = std::chrono::steady_clock::now() + kWallGuard;
  while (wait4(pid, &ws, WNOHANG, &ru) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      kill(pid, SIGKILL);
      wait4(pid, &ws, 0, &ru);
      r.timed_out = true;
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  r.cpu_seconds = static_cast<double>(ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) +
                  1e-6 * static_cast<double>(ru.ru_utime.tv_usec + ru.ru_stime.tv_usec);
  if (!r.timed_out) {
    if (WIFSIGNALED(ws)) r.signal = WTERMSIG(ws);
    if (WIFEXITED(ws)) r.status = WEXITSTATUS(ws);
  }
  r.out = test::read_file(out_file.string());
  r.err = test::read_file(err_file.string());
  return r;
}

// ATOM records of the first residues of the tRNA fixture.
std::vector<std::string> trna_atoms(size_t n) {
  std::ifstream in(test::test_data("1ehz.pdb"));
  std::vector<std::string> lines;
  for (std::string l; lines.size() < n && std::getline(in, l);)
    if (l.rfind("ATOM  ", 0) == 0) lines.push_back(l);
  return lines;
}

std::string join(const std::vector<std::string>& lines) {
  std::string s;
  for (const auto& l : lines) s += l + "\n";
  return s;
}

// Each line with columns [first, first + width) (1-based) replaced by text,
// right-justified and cut to the width.
std::string with_field(std::vector<std::string> lines, size_t first, size_t width,
                       const std::string& text) {
  std::string t = text.size() >= width ? text.substr(0, width) : std::string(width - text.size(), ' ') + text;
  for (auto& l : lines) l.replace(first - 1, width, t);
  return join(lines);
}

std::string random_bytes(size_t n, unsigned seed) {
  std::mt19937 gen(seed);
  std::string s(n, '\0');
  for (char& c : s) c = static_cast<char>(gen() & 0xff);
  return s;
}

// An mmCIF atom loop with the usual tags; rows given as text.
const char* const kCifTags =
    "data_test\nloop_\n_atom_site.group_PDB\n_atom_site.id\n_atom_site.type_symbol\n"
    "_atom_site.label_atom_id\n_atom_site.label_alt_id\n_atom_site.label_comp_id\n"
    "_atom_site.label_asym_id\n_atom_site.label_seq_id\n_atom_site.Cartn_x\n"
    "_atom_site.Cartn_y\n_atom_site.Cartn_z\n_atom_site.occupancy\n_atom_site.B_iso_or_equiv\n"
    "_atom_site.auth_seq_id\n_atom_site.auth_asym_id\n_atom_site.pdbx_PDB_model_num\n";

// The tRNA atoms as mmCIF rows (16 values each); chain and number by callback.
std::string cif_rows(const std::vector<std::string>& atoms,
                     const std::function<std::string(size_t, const std::string&)>& chain,
                     const std::function<std::string(size_t, const std::string&)>& number) {
  std::string s;
  for (size_t i = 0; i < atoms.size(); ++i) {
    const std::string& l = atoms[i];
    auto col = [&](size_t a, size_t w) {
      std::string f = l.substr(a - 1, w);
      f.erase(0, f.find_first_not_of(' '));
      f.erase(f.find_last_not_of(' ') + 1);
      return f.empty() ? std::string("?") : f;
    };
    std::string name = col(13, 4);
    if (name.find('\'') != std::string::npos) name = "\"" + name + "\"";
    s += "ATOM " + std::to_string(i + 1) + " " + col(77, 2) + " " + name + " . " + col(18, 3) +
         " " + chain(i, l) + " " + number(i, l) + " " + col(31, 8) + " " + col(39, 8) + " " +
         col(47, 8) + " 1.00 20.00 " + number(i, l) + " " + chain(i, l) + " 1\n";
  }
  return s;
}

struct bad_case {
  std::string name;
  std::map<std::string, std::string> files;  // created in the working folder
  std::vector<std::string> args;
  int status;             // expected exit status, or kEither
  std::string message;    // expected in the run log (standard error); "" for any
};

class BadInput : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string tmpl = (fs::temp_directory_path() / "vask-bad-XXXXXX").string();
    ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
    root_ = tmpl;
  }
  void TearDown() override { fs::remove_all(root_); }

  // Runs one case in a fresh folder and checks how it ended and what it left.
  void check(const bad_case& c) {
    SCOPED_TRACE(c.name);
    const fs::path dir = root_ / "work";
    fs::remove_all(dir);
    fs::create_directory(dir);
    for (const auto& [name, text] : c.files) {
      if (name.back() == '/') {
        fs::create_directory(dir / name);
      } else {
        std::ofstream(dir / name, std::ios::binary) << text;
      }
    }
    child_result r = run_exe(dir, c.args);
    ASSERT_FALSE(r.timed_out) << "still running after " << kWallGuard.count() << " s";
    EXPECT_LT(r.cpu_seconds, kCpuLimit) << "processor time";
    ASSERT_EQ(r.signal, 0) << "ended by signal " << r.signal << "\n" << r.err.substr(0, 2000);
    if (c.status == kEither)
      EXPECT_TRUE(r.status == 0 || r.status == 1) << r.status;
    else
      EXPECT_EQ(r.status, c.status) << r.err.substr(0, 2000);
    for (const char* report : {"runtime error", "AddressSanitizer", "LeakSanitizer",
                               "Uncaught exception"}) {
      EXPECT_EQ(r.err.find(report), std::string::npos) << r.err.substr(0, 4000);
      EXPECT_EQ(r.out.find(report), std::string::npos) << r.out.substr(0, 4000);
    }
    if (!c.message.empty()) {
      EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err.substr(0, 2000);
    }
    if (r.status == 1) {
      // a failure always says something beyond the time used
      std::string said = r.err.substr(0, r.err.rfind("Time used"));
      EXPECT_NE(said.find_first_not_of(" \n\a"), std::string::npos);
    }
    // the user's files are as they were; nothing but the named output and
    // prefix-named files appeared
    std::set<std::string> allowed;
    std::string list_output;  // list mode: one report per file, named after it
    for (const auto& a : c.args) {
      if (a.rfind("-o=", 0) == 0) allowed.insert(a.substr(3));
      if (a.rfind("-o=", 0) == 0) list_output = a.substr(3);
      if (a.rfind("--run-log=", 0) == 0) allowed.insert(a.substr(10));
    }
    for (const auto& entry : fs::directory_iterator(dir)) {
      const std::string name = entry.path().filename().string();
      auto given = c.files.find(name);
      if (given == c.files.end()) given = c.files.find(name + "/");
      if (given != c.files.end()) {
        if (!entry.is_directory()) {
          EXPECT_EQ(test::read_file(entry.path().string()), given->second) << name << " changed";
        }
        continue;
      }
      bool ok = allowed.count(name) || name.rfind("vask-", 0) == 0 || name == "PDB-lists.txt" ||
                (!list_output.empty() && name.rfind(list_output, 0) == 0);
      EXPECT_TRUE(ok) << "unexpected file left: " << name;
    }
    for (const auto& [name, text] : c.files) {
      if (name.back() != '/') {
        EXPECT_TRUE(fs::exists(dir / name)) << name << " removed";
      }
    }
    for (const auto& entry : fs::directory_iterator(root_)) {
      const std::string name = entry.path().filename().string();
      EXPECT_TRUE(name == "work" || name == "stdout.txt" || name == "stderr.txt")
          << "file written outside the working folder: " << name;
    }
  }

  fs::path root_;
};

TEST_F(BadInput, broken_coordinate_files_end_cleanly) {
  const auto atoms = trna_atoms(90);
  const std::string good = join(atoms);
  const std::string no_atoms = "no ATOM/HETATM records found";
  std::vector<bad_case> cases = {
      {"empty file", {{"x.pdb", ""}}, {"-i=x.pdb"}, 1, no_atoms},
      {"random bytes", {{"x.pdb", random_bytes(5000, 1)}}, {"-i=x.pdb"}, 1, no_atoms},
      {"random bytes taken as mmCIF", {{"x.cif", random_bytes(5000, 2)}}, {"-i=x.cif"}, 1, "no ATOM/HETATM records found"},
      {"random bytes after good atoms", {{"x.pdb", good + random_bytes(5000, 3)}},
       {"-i=x.pdb", "-o=out.txt"}, 0, ""},
      {"NUL bytes inside records", {{"x.pdb", std::string(good).replace(200, 3, std::string(3, '\0'))}},
       {"-i=x.pdb", "-o=out.txt"}, 0, ""},
      {"carriage returns only", {{"x.pdb", [&] { std::string s = good; for (char& ch : s) if (ch == '\n') ch = '\r'; return s; }()}},
       {"-i=x.pdb", "-o=out.txt"}, 0, ""},
      {"100,000-character remark", {{"x.pdb", "REMARK " + std::string(100000, 'x') + "\n" + good}},
       {"-i=x.pdb", "-o=out.txt"}, 0, ""},
      {"100,000-character atom line", {{"x.pdb", good + atoms[5] + std::string(100000, '9') + "\n"}},
       {"-i=x.pdb", "-o=out.txt"}, 0, ""},
      {"one 100,000-character line, no line end", {{"x.pdb", std::string(100000, 'A')}},
       {"-i=x.pdb"}, 1, no_atoms},
      {"x not a number", {{"x.pdb", with_field(atoms, 31, 8, "abc")}}, {"-i=x.pdb"}, 1, no_atoms},
      {"x NaN", {{"x.pdb", with_field(atoms, 31, 8, "nan")}}, {"-i=x.pdb"}, 1, no_atoms},
      {"y infinite", {{"x.pdb", with_field(atoms, 39, 8, "-inf")}}, {"-i=x.pdb"}, 1, no_atoms},
      {"z beyond 1e36", {{"x.pdb", with_field(atoms, 47, 8, "1e37")}}, {"-i=x.pdb"}, 1, no_atoms},
      // 1e30 is still a readable coordinate: the run goes on with absurd geometry
      {"z of 1e30", {{"x.pdb", with_field(atoms, 47, 8, "1e30")}}, {"-i=x.pdb", "-o=out.txt"},
       kEither, ""},
      {"every atom twice", {{"x.pdb", good + good}}, {"-i=x.pdb", "-o=out.txt"}, 0, ""},
      {"alternate locations only", {{"x.pdb", with_field(atoms, 17, 1, "B")}}, {"-i=x.pdb"}, 1,
       no_atoms},
      {"alternate locations only, chosen", {{"x.pdb", with_field(atoms, 17, 1, "B")}},
       {"-i=x.pdb", "--altloc=B", "-o=out.txt"}, 0, ""},
      {"residue number spilling over 9 columns", {{"x.pdb", with_field(atoms, 23, 9, "123456789")}},
       {"-i=x.pdb", "-o=out.txt"}, kEither, ""},
      {"residue number not a number", {{"x.pdb", with_field(atoms, 23, 4, "#$%&")}},
       {"-i=x.pdb", "-o=out.txt"}, 0, ""},
      {"MODEL without ENDMDL", {{"x.pdb", "MODEL        1\n" + good + "MODEL        2\n" + good + "END\n"}},
       {"-i=x.pdb", "-o=out.txt"}, 0, ""},
      {"ENDMDL without MODEL", {{"x.pdb", good + "ENDMDL\nMODEL        1\n" + good + "ENDMDL\n"}},
       {"-i=x.pdb", "-o=out.txt"}, 0, ""},
      {"MODEL without ENDMDL, as an ensemble", {{"x.pdb", "MODEL        1\n" + good + "MODEL        2\n" + good + "END\n"}},
       {"-i=x.pdb", "-o=out.txt", "--nmr"}, 1, "has wrong MODEL/ENDMDL order"},
      {"ENDMDL without MODEL, as an ensemble", {{"x.pdb", good + "ENDMDL\nMODEL        1\n" + good + "ENDMDL\n"}},
       {"-i=x.pdb", "-o=out.txt", "--nmr"}, 1, "MODEL/ENDMDL"},
      {"last model never closed, as an ensemble", {{"x.pdb", "MODEL        1\n" + good + "ENDMDL\nMODEL        2\n" + good}},
       {"-i=x.pdb", "-o=out.txt", "--nmr"}, 1, "MODEL/ENDMDL"},
      {"MODEL number unreadable, as an ensemble", {{"x.pdb", "MODEL     xyz\n" + good + "ENDMDL\n"}},
       {"-i=x.pdb", "-o=out.txt", "--nmr"}, 1, "Error reading model"},
      {"empty models, as an ensemble", {{"x.pdb", "MODEL        1\nENDMDL\nMODEL        2\nENDMDL\n"}},
       {"-i=x.pdb", "-o=out.txt", "--nmr"}, 1, ""},
      {"selected models absent, as an ensemble", {{"x.pdb", "MODEL        1\n" + good + "ENDMDL\nMODEL        2\n" + good + "ENDMDL\n"}},
       {"-i=x.pdb", "-o=out.txt", "--nmr=5-9"}, kEither, ""},
      {"huge model numbers, as an ensemble", {{"x.pdb", "MODEL 99999999999999999999\n" + good + "ENDMDL\nMODEL -5\n" + good + "ENDMDL\n"}},
       {"-i=x.pdb", "-o=out.txt", "--nmr"}, kEither, ""},
      {"not an ensemble, as an ensemble", {{"x.pdb", good}}, {"-i=x.pdb", "-o=out.txt", "--nmr"}, 0,
       "no models found"},
      {"MODEL number unreadable", {{"x.pdb", "MODEL     xyz\n" + good + "ENDMDL\n"}},
       {"-i=x.pdb", "-o=out.txt"}, kEither, ""},
      {"input is a directory", {{"d.pdb/", ""}}, {"-i=d.pdb"}, 1, ""},
      {"input missing", {}, {"-i=nowhere.pdb"}, 1, "nowhere.pdb"},
  };
  {
    // more than 10,000 chains: the chain id changes with every atom
    std::string s;
    for (size_t i = 0; i < 12000; ++i) {
      std::string l = atoms[i % atoms.size()];
      l[21] = static_cast<char>('!' + i % 90);
      s += l + "\n";
    }
    cases.push_back({"12,000 chain changes", {{"x.pdb", s}}, {"-i=x.pdb", "-o=out.txt"}, kEither, ""});
  }
  for (const auto& c : cases) check(c);
}

TEST_F(BadInput, atom_lines_cut_in_every_field) {
  // Lines shorter than 52 columns are no atom records; a cut coordinate or a
  // missing occupancy, B-factor or element is read as missing.
  const auto atoms = trna_atoms(70);
  for (size_t cut = 1; cut <= 80; ++cut) {
    std::vector<std::string> lines = atoms;
    for (auto& l : lines) l.resize(std::min(l.size(), cut));
    check({"cut at column " + std::to_string(cut), {{"x.pdb", join(lines)}},
           {"-i=x.pdb", "-o=out.txt"}, cut < 52 ? 1 : 0,
           cut < 52 ? "no ATOM/HETATM records found" : ""});
  }
}

TEST_F(BadInput, broken_mmcif_files_end_cleanly) {
  const auto atoms = trna_atoms(90);
  auto chain_a = [](size_t, const std::string&) { return std::string("A"); };
  auto resnum = [](size_t, const std::string& l) {
    std::string f = l.substr(22, 4);
    return f.substr(f.find_first_not_of(' '));
  };
  const std::string rows = cif_rows(atoms, chain_a, resnum);
  std::string no_z = kCifTags;
  no_z.erase(no_z.find("_atom_site.Cartn_z\n"), 19);
  std::vector<bad_case> cases = {
      {"no Cartn_z column", {{"x.cif", no_z + rows}}, {"-i=x.cif"}, 1, "no ATOM/HETATM records found"},
      {"unbalanced quote", {{"x.cif", std::string(kCifTags) + rows.substr(0, 3000) + "ATOM 999 C 'C1 . G A 1 1 2 3 1 1 1 A 1\n" + rows.substr(3000)}},
       {"-i=x.cif", "-o=out.txt"}, kEither, ""},
      {"quote never closed to the end", {{"x.cif", std::string(kCifTags) + "ATOM 1 C \"C1' . G A 1 1 2 3 1 1 1 A 1\n"}},
       {"-i=x.cif", "-o=out.txt"}, kEither, ""},
      {"row with a value missing", {{"x.cif", std::string(kCifTags) + "ATOM 1 C C1' . G A 1 1.0 2.0 1 20 1 A 1\n" + rows}},
       {"-i=x.cif", "-o=out.txt"}, kEither, ""},
      {"rows with a value too many", {{"x.cif", std::string(kCifTags) + [&] { std::string s; std::istringstream in(rows); for (std::string l; std::getline(in, l);) s += l + " extra\n"; return s; }()}},
       {"-i=x.cif", "-o=out.txt"}, kEither, ""},
      {"text field never closed", {{"x.cif", std::string(kCifTags) + rows.substr(0, 2000) + "\n;open text\n" + rows.substr(2000)}},
       {"-i=x.cif", "-o=out.txt"}, kEither, ""},
      // found by fuzzing: a quoted tab as the atom name reached the 4-character name invariant
      {"atom name a quoted tab", {{"x.cif", std::string(kCifTags) + "ATOM 1 C \"\t\" . G A 1 1.0 2.0 3.0 1 20 1 A 1\n" + rows}},
       {"-i=x.cif", "-o=out.txt"}, 0, "[w] mmCIF atom without a name skipped"},
      {"loop_ and tags only", {{"x.cif", kCifTags}}, {"-i=x.cif"}, 1, "no ATOM/HETATM records found"},
      {"coordinates not numbers", {{"x.cif", std::string(kCifTags) + cif_rows(atoms, chain_a, [](size_t, const std::string&) { return std::string("1"); }).replace(20, 0, "x")}},
       {"-i=x.cif", "-o=out.txt"}, kEither, ""},
      {"9-digit residue numbers", {{"x.cif", std::string(kCifTags) + cif_rows(atoms, chain_a, [&](size_t i, const std::string& l) { return std::to_string(100000000 + std::stol(resnum(i, l))); })}},
       {"-i=x.cif", "-o=out.txt"}, kEither, ""},
      {"residue numbers beyond a long", {{"x.cif", std::string(kCifTags) + cif_rows(atoms, chain_a, [](size_t i, const std::string&) { return std::string(30, '9') + std::to_string(i); })}},
       {"-i=x.cif", "-o=out.txt"}, kEither, ""},
  };
  {
    // 12,000 distinct chains of one atom each
    std::vector<std::string> many;
    for (size_t i = 0; i < 12000; ++i) many.push_back(atoms[i % atoms.size()]);
    auto chain = [](size_t i, const std::string&) { return std::to_string(i).insert(0, 1, 'C'); };
    cases.push_back({"12,000 chains", {{"x.cif", std::string(kCifTags) + cif_rows(many, chain, resnum)}},
                     {"-i=x.cif", "-o=out.txt"}, kEither, ""});
  }
  for (const auto& c : cases) check(c);
}

TEST_F(BadInput, list_files_naming_what_is_not_there) {
  const std::string good = join(trna_atoms(90));
  std::vector<bad_case> cases = {
      {"missing files and a directory",
       {{"list.txt", "missing.pdb\nsub.pdb\nnowhere/x.cif\n\n# note\n"}, {"sub.pdb/", ""}},
       {"--ilist=list.txt", "-o=out.txt"}, 1, "no valid coordinate files"},
      {"a good file among missing ones",
       {{"list.txt", "missing.pdb\nsub.pdb\nx.pdb\n"}, {"sub.pdb/", ""}, {"x.pdb", good}},
       {"--ilist=list.txt", "-o=out.txt"}, 0, ""},
      {"empty list", {{"list.txt", ""}}, {"--ilist=list.txt"}, 1, ""},
      {"list is binary", {{"list.txt", random_bytes(3000, 4)}}, {"--ilist=list.txt"}, 1, ""},
      {"list missing", {}, {"--ilist=none.txt"}, 1, "none.txt"},
      {"list is a directory", {{"lists/", ""}}, {"--ilist=lists"}, 1, ""},
  };
  for (const auto& c : cases) check(c);
}

TEST_F(BadInput, option_values_out_of_range_empty_or_huge) {
  const std::string good = join(trna_atoms(90));
  const std::string huge_text(10000, 'x');
  const std::string huge_number(10000, '9');
  auto with = [&](std::string name, std::string option, int status, std::string message) {
    return bad_case{std::move(name), {{"x.pdb", good}}, {"-i=x.pdb", "-o=out.txt", std::move(option)},
                    status, std::move(message)};
  };
  std::string many_ranges = "--nmr=1-99999";
  while (many_ranges.size() < 10000) many_ranges += ",1-99999";
  std::vector<bad_case> cases = {
      with("distance above its range", "--hbond-dist=99", 1, "out of range"),
      with("distance below its range", "--hbond-dist=-1", 1, "out of range"),
      with("count below its range", "--json-dec=-1", 1, "out of range"),
      with("empty number", "--hbond-dist=", 1, "--hbond-dist="),
      with("number of 10,000 digits", "--json-dec=" + huge_number, 1, "--json-dec="),
      with("real number of 10,000 digits", "--hbond-dist=" + huge_number, 1, "--hbond-dist="),
      with("number of 10,000 letters", "--nt-cutoff=" + huge_text, 1, "--nt-cutoff="),
      with("NaN as a number", "--hbond-dist=nan", 1, "--hbond-dist="),
      // found by fuzzing: a form feed as the only word reached an invariant
      with("residue names of other white space", "--nt-ignore=\f\v", 0, ""),
      with("chain list of 10,000 characters", "--chain=" + huge_text, kEither, ""),
      with("altloc set of 10,000 characters", "--altloc=" + huge_text, kEither, ""),
      with("id style of 10,000 characters", "--idstr=" + huge_text, 0, ""),
      with("model list of 10,000 characters", many_ranges, kEither, ""),
      with("model list of 10,000 digits", "--nmr=" + huge_number, kEither, ""),
      with("prefix of 10,000 characters", "--prefix=" + huge_text, 1, "[e] --prefix is too long"),
      with("run log named by 10,000 characters", "--run-log=" + huge_text, 1, ""),
      with("config file of 10,000 characters", "--view-file=" + huge_text, kEither, ""),
      with("unknown option of 10,000 characters", "--" + huge_text, 1, "unrecognized option"),
      {"output named by 10,000 characters", {{"x.pdb", good}}, {"-i=x.pdb", "-o=" + huge_text}, 1, ""},
      {"input named by 10,000 characters", {}, {"-i=" + huge_text}, 1, ""},
  };
  for (const auto& c : cases) check(c);
}

TEST_F(BadInput, outputs_never_overwrite_inputs) {
  const std::string good = join(trna_atoms(90));
  std::vector<bad_case> cases = {
      {"report over the input", {{"x.pdb", good}}, {"-i=x.pdb", "-o=x.pdb"}, 1, "[e] the output file 'x.pdb' is the input file"},
      {"report over the input by another path", {{"x.pdb", good}}, {"-i=x.pdb", "-o=./x.pdb"}, 1, "[e] the output file"},
      {"run log over the input", {{"x.pdb", good}}, {"-i=x.pdb", "--run-log=x.pdb"}, 1, "[e] the run log"},
      {"program log over the input", {{"x.pdb", good}}, {"-i=x.pdb", "--prg-log=x.pdb"}, 1, "[e] the program log"},
      {"report over the list", {{"x.pdb", good}, {"l.txt", "x.pdb\n"}}, {"--ilist=l.txt", "-o=l.txt"}, 1, "[e] the output file"},
      {"list report over a listed file", {{"x.pdb", good}, {"y.pdb", good}, {"l.txt", "x.pdb\ny.pdb\n"}},
       {"--ilist=l.txt", "-o=one:./y.pdb"}, 1, "[e] the report file './y.pdb' is one of the listed input files"},
      {"pair list written over the input", {{"x.pdb", good}}, {"-i=x.pdb", "-o=out.txt", "--pair-list-out=x.pdb"}, 1, "[e] the pair-list output 'x.pdb' is the input file"},
      {"nucleotide list written over the input", {{"x.pdb", good}}, {"-i=x.pdb", "-o=out.txt", "--nt-list-out=x.pdb"}, 1, "[e] the nucleotide-list output 'x.pdb' is the input file"},
      {"report and run log in one file", {{"x.pdb", good}}, {"-i=x.pdb", "-o=r.txt", "--run-log=r.txt"}, 1, "[e] the output file and the run log"},
      {"input named like an auxiliary file", {{"vask-pairs.pdb", good}}, {"-i=vask-pairs.pdb", "-o=out.txt"}, 1, "[e] the input file 'vask-pairs.pdb'"},
      {"input named like an auxiliary file, clean-up", {{"vask-pairs.pdb", good}}, {"-i=vask-pairs.pdb", "--cleanup"}, 1, "[e] the input file"},
      {"prefix with a directory", {{"x.pdb", good}}, {"-i=x.pdb", "--prefix=../elsewhere"}, 1, "[e] --prefix"},
      {"prefix with an absolute path", {{"x.pdb", good}}, {"-i=x.pdb", "--prefix=/tmp/vask"}, 1, "[e] --prefix"},
  };
  for (const auto& c : cases) check(c);
}

TEST_F(BadInput, cleanup_removes_only_files_the_program_names) {
  const fs::path dir = root_ / "work";
  fs::create_directory(dir);
  const std::vector<std::string> ours = {"vask-pairs.pdb", "vask-pairs.cif", "vask-2ndstrs.dbn",
                                         "vask-torsions.txt", "vask-prog.log", "vask-bestview.png"};
  const std::vector<std::string> theirs = {"x.pdb", "vask-notes.txt", "vask-pairs.pdb.bak",
                                           "abc-pairs.pdb", "vask", "vask-"};
  for (const auto& n : ours) std::ofstream(dir / n) << "x\n";
  for (const auto& n : theirs) std::ofstream(dir / n) << "mine\n";
  child_result r = run_exe(dir, {"--cleanup"});
  ASSERT_FALSE(r.timed_out);
  EXPECT_EQ(r.signal, 0);
  EXPECT_EQ(r.status, 0) << r.err;
  for (const auto& n : ours) EXPECT_FALSE(fs::exists(dir / n)) << n;
  for (const auto& n : theirs) EXPECT_EQ(test::read_file((dir / n).string()), "mine\n") << n;

  // another prefix leaves the default prefix's files alone
  std::ofstream(dir / "vask-stems.pdb") << "x\n";
  r = run_exe(dir, {"--cleanup", "--prefix=abc"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_FALSE(fs::exists(dir / "abc-pairs.pdb"));
  EXPECT_TRUE(fs::exists(dir / "vask-stems.pdb"));
}

}  // namespace
}  // namespace vask

namespace vask {
namespace {

long open_descriptors() {
  long n = 0;
  for ([[maybe_unused]] const auto& e : fs::directory_iterator("/proc/self/fd")) ++n;
  return n;
}

// The list and ensemble loops go on after a structure that fails: a failed
// read must not leave its file open, or a long list runs out of descriptors.
TEST(FailedReads, close_their_files) {
  set_globals("belqo-vask");
  test::log_capture quiet;
  std::string tmpl = (fs::temp_directory_path() / "vask-fd-XXXXXX").string();
  ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
  const fs::path dir = tmpl;
  const std::string empty_pdb = (dir / "empty.pdb").string();
  const std::string bad_config = (dir / "bad.cfg").string();
  std::ofstream(empty_pdb) << "REMARK nothing\n";
  std::ofstream(bad_config) << "{ \"a\": 1 }\n{] # a line the tokenizer refuses\n";
  const long before = open_descriptors();
  for (int k = 0; k < 50; ++k) {
    struct_mol mol;
    int status = 0;
    test::fatal_message([&] { read_pdb(empty_pdb, mol); }, &status);
    EXPECT_EQ(status, 1);
    test::fatal_message([&] { (void)get_clean_filestr(bad_config); }, &status);
    EXPECT_EQ(status, 1);
  }
  EXPECT_EQ(open_descriptors(), before);
  fs::remove_all(dir);
  set_globals("belqo-vask");
}

TEST_F(BadInput, long_lists_of_failing_files_keep_going) {
  // more failing files than the child may hold open at once
  const fs::path dir = root_ / "work";
  fs::create_directory(dir);
  std::string list;
  for (int k = 0; k < 80; ++k) {
    std::string name = "e";
    name += std::to_string(k);
    name += ".pdb";
    std::ofstream(dir / name) << "REMARK no atoms\n";
    list += name + "\n";
  }
  std::ofstream(dir / "x.pdb") << join(trna_atoms(90));
  list += "x.pdb\n";
  std::ofstream(dir / "list.txt") << list;
  child_result r = run_exe(dir, {"--ilist=list.txt", "-o=one:all.txt"}, 48);
  ASSERT_FALSE(r.timed_out);
  EXPECT_EQ(r.signal, 0);
  EXPECT_EQ(r.status, 1);  // some files failed
  EXPECT_EQ(r.err.find("Too many open files"), std::string::npos) << r.err.substr(r.err.size() > 2000 ? r.err.size() - 2000 : 0);
  EXPECT_NE(r.err.find("total number of nucleotides"), std::string::npos);  // x.pdb was read
}

}  // namespace
}  // namespace vask
