// The executable on bad input: broken, hostile or odd coordinate files, list
// files and option values. Every run must end by itself within seconds with
// its documented status and a message, never by a signal or a sanitizer
// report, and must leave the user's files alone: afterwards the working
// folder holds only what was there, the named output and prefix-named files.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <fcntl.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "modeling/mutation.hpp"
#include "modeling/rebuild.hpp"
#include "pairing/pair.hpp"
#include "pairing/prepare.hpp"
#include "structure/bond.hpp"
#include "structure/pdb_output.hpp"
#include "structure/struct_mol.hpp"
#include "support/file.hpp"
#include "test_util.hpp"

namespace vask {
namespace {

namespace fs = std::filesystem;

constexpr int kEither = -1;  // exit status 0 or 1 both documented
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define VASK_SANITIZED_BUILD 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define VASK_SANITIZED_BUILD 1
#endif
#endif
#ifdef VASK_SANITIZED_BUILD
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif

// A run may use this much processor time. The sanitizers take about three
// times the optimised build's, more again when the suite's shards share the
// cores (12,000 atoms piled on 90 points: 1.8 s optimised, 4.8 s sanitized
// alone, 15 s with eight shards), so their bound keeps the same margin. The
// wall-clock guard only stops a child that hangs, since a loaded machine can
// stretch any run.
constexpr double kCpuLimit = kSanitized ? 30.0 : 15.0;
constexpr auto kWallGuard = std::chrono::seconds(120);

struct child_result {
  bool timed_out = false;
  double cpu_seconds = 0;
  int signal = 0;   // non-zero when a signal ended the child
  int status = -1;  // exit status
  long max_rss_kb = 0;
  std::string out, err;
};

// Runs the executable with args in dir, standard output and error captured
// in files beside dir (so they are not part of the folder's contents).
// max_files > 0 lowers the child's limit of open descriptors; max_memory_mb
// > 0 its address space.
// stdout_path, when given, takes standard output instead (such as /dev/full).
child_result run_exe(const fs::path& dir, const std::vector<std::string>& args, long max_files = 0,
                     const char* stdout_path = nullptr, const char* stdin_path = nullptr,
                     long max_memory_mb = 0) {
  const fs::path out_file = stdout_path != nullptr ? fs::path(stdout_path) : dir.parent_path() / "stdout.txt";
  const fs::path err_file = dir.parent_path() / "stderr.txt";
  std::vector<std::string> words{VASK_EXE};
  words.insert(words.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& w : words) argv.push_back(w.data());
  argv.push_back(nullptr);

  pid_t pid = fork();
  if (pid == 0) {
    int o = open(out_file.c_str(), O_WRONLY | (stdout_path != nullptr ? 0 : O_CREAT | O_TRUNC), 0644);
    int e = open(err_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (o < 0 || e < 0 || chdir(dir.c_str()) != 0) _exit(126);
    if (stdin_path != nullptr) {
      int i = open(stdin_path, O_RDONLY);
      if (i < 0) _exit(126);
      dup2(i, 0);
    }
    if (max_files > 0) {
      struct rlimit lim {static_cast<rlim_t>(max_files), static_cast<rlim_t>(max_files)};
      if (setrlimit(RLIMIT_NOFILE, &lim) != 0) _exit(126);
    }
    if (max_memory_mb > 0) {
      const auto bytes = static_cast<rlim_t>(max_memory_mb) << 20;
      struct rlimit lim {bytes, bytes};
      if (setrlimit(RLIMIT_AS, &lim) != 0) _exit(126);
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
  r.max_rss_kb = ru.ru_maxrss;
  if (!r.timed_out) {
    if (WIFSIGNALED(ws)) r.signal = WTERMSIG(ws);
    if (WIFEXITED(ws)) r.status = WEXITSTATUS(ws);
  }
  if (stdout_path == nullptr) r.out = test::read_file(out_file.string());
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
      // besides the prefix's files, the fixed names of the list reader and of the xyz fit's cleaned copies
      bool ok = allowed.count(name) || name.rfind("vask-", 0) == 0 || name == "PDB-lists.txt" ||
                name == "xyzfile1.dat" || name == "xyzfile2.dat" ||
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

// A folder named as the input is reported as one, whatever its name says.
TEST_F(BadInput, a_folder_as_input_says_it_is_a_folder) {
  const std::vector<bad_case> cases = {
      {"folder named as mmCIF", {{"d.cif/", ""}}, {"-i=d.cif"}, 1, "[e] 'd.cif' is a folder, not a file\n"},
      {"folder named as PDB", {{"d.pdb/", ""}}, {"-i=d.pdb"}, 1, "[e] 'd.pdb' is a folder, not a file\n"},
      {"folder without extension", {{"dd/", ""}}, {"-i=dd", "--json"}, 1, "[e] 'dd' is a folder, not a file\n"},
      {"folder to a sub-command", {{"dd/", ""}}, {"analyze", "-i=dd"}, 1, "[e] 'dd' is a folder, not a file\n"},
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
      // no nucleotide or IUPAC code: an error, not the default letter's results
      with("A-minor letter E", "--minor=E", 1, "'E' is no nucleotide letter"),
      with("A-minor letter Q", "--minor=Q", 1, "'Q' is no nucleotide letter"),
      with("U-turn letter E", "--u-turn=E", 1, "'E' is no nucleotide letter"),
      {"output named by 10,000 characters", {{"x.pdb", good}}, {"-i=x.pdb", "-o=" + huge_text}, 1, ""},
      {"input named by 10,000 characters", {}, {"-i=" + huge_text}, 1, ""},
  };
  for (const auto& c : cases) check(c);
}

// The H-bond cutoff from the environment is read like the option: a whole
// number in range or a refusal; an explicit option wins over it.
TEST_F(BadInput, hbond_cutoff_variable_read_like_the_option) {
  struct env_guard {
    ~env_guard() { unsetenv("VASK_HBOND_CUTOFF"); }
  } guard;
  const std::string good = join(trna_atoms(90));
  for (const char* bad : {"3,5", "4.5junk", "5 6", "99", "", "nan"}) {
    setenv("VASK_HBOND_CUTOFF", bad, 1);
    check({std::string("variable set to <") + bad + ">", {{"x.pdb", good}}, {"-i=x.pdb", "-o=out.txt"}, 1,
           std::string("[e] invalid setting of VASK_HBOND_CUTOFF=") + bad + ": expect a number in [2.6, 6.0]\n"});
  }
  const fs::path dir = root_ / "work";
  const std::string whole = join(trna_atoms(100000));  // paired: the cutoff shows
  auto report = [&](const std::vector<std::string>& args) {
    fs::remove_all(dir);
    fs::create_directory(dir);
    std::ofstream(dir / "x.pdb", std::ios::binary) << whole;
    child_result r = run_exe(dir, args);
    EXPECT_EQ(r.status, 0) << r.err.substr(0, 2000);
    std::string text = test::read_file((dir / "out.txt").string());
    const size_t date = text.find("Date and time:");  // differs from run to run
    if (date != std::string::npos) text.erase(date, text.find('\n', date) - date);
    return text;
  };
  unsetenv("VASK_HBOND_CUTOFF");
  const std::string at_4 = report({"-i=x.pdb", "-o=out.txt", "--hbond-dist=4.0"});
  const std::string at_3 = report({"-i=x.pdb", "-o=out.txt", "--hbond-dist=2.7"});
  ASSERT_NE(at_4, at_3) << "the fixture should tell the two cutoffs apart";
  setenv("VASK_HBOND_CUTOFF", "2.7", 1);
  EXPECT_EQ(report({"-i=x.pdb", "-o=out.txt"}), at_3) << "the variable is used";
  EXPECT_EQ(report({"-i=x.pdb", "-o=out.txt", "--hbond-dist=4.0"}), at_4) << "the option wins";
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



// Residue numbers past 9999 in the hybrid-36 form ("A000" is 10000) are read
// as such; a number that is neither decimal nor hybrid-36 is warned about
// instead of merging residues silently.
TEST_F(BadInput, hybrid36_residue_numbers_are_decoded) {
  auto hy36 = [](long n) {  // width 4
    if (n < 10000) return std::to_string(n);
    long v = n - 10000 + 10 * 36 * 36 * 36;
    std::string s;
    for (int k = 0; k < 4; ++k, v /= 36) s.insert(s.begin(), "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ"[v % 36]);
    return s;
  };
  std::vector<std::string> atoms = trna_atoms(100000);
  for (auto& l : atoms) {
    const long n = std::stol(l.substr(22, 4)) + 9980;  // 1ehz from 9981: 9981 .. 10056
    std::string t = hy36(n);
    l.replace(22, 4, std::string(4 - t.size(), ' ') + t);
  }
  ASSERT_NE(join(atoms).find("AA000 "), std::string::npos);  // chain A, residue A000
  check({"1ehz renumbered from 9981", {{"x.pdb", join(atoms)}}, {"-i=x.pdb", "-o=out.txt"}, 0, ""});
  const std::string out = test::read_file((root_ / "work" / "out.txt").string());
  // the fixture's 62 standard nucleotides, none merged
  EXPECT_NE(out.find("no. of nucleotides:    62\n"), std::string::npos) << out.substr(0, 1200);
  EXPECT_NE(out.find("A.G10000 "), std::string::npos);  // G20 at A000
  check({"residue numbers that are no numbers", {{"x.pdb", with_field(trna_atoms(90), 23, 4, "#$%&")}},
         {"-i=x.pdb", "-o=out.txt"}, 0, "[w] residue number '#$%&' cannot be read"});
}

// Sub-command inputs and generated scripts: a number that is not finite ends
// the run naming its file and line; sequence files are read with a bound; a
// name or structure text that could become a command in a script is refused.
TEST_F(BadInput, sub_command_numbers_sequences_and_script_texts) {
  const std::string good = join(trna_atoms(90));
  const std::string pars = "# three pairs\nA-T 0 0 0 0 -10 0 0 0 3.4 0 0 36\nC-G 0 0 0 0 -10 0 0 0 3.4 0 0 36\n"
                           "G-C 0 0 0 0 -10 0 0 0 3.4 0 0 36\n";
  auto pars_with = [&](const std::string& rise) {
    std::string s = pars;
    return s.replace(s.find("3.4"), 3, rise);
  };
  auto every_rise = [&](const std::string& rise) {
    std::string s = pars;
    for (size_t p; (p = s.find("3.4")) != std::string::npos;) s.replace(p, 3, rise);
    return s;
  };
  const std::string frame = "# 1 frames\n   1 A-T\n    0.0 0.0 0.0\n    1.0 0.0 0.0\n    0.0 1.0 0.0\n    0.0 0.0 1.0\n";
  std::string frame_nan = frame;
  frame_nan.replace(frame_nan.find("0.0 0.0 0.0"), 3, "nan");
  std::string long_seq;
  for (int k = 0; k < 2100; ++k) long_seq += std::string(60, "ACGT"[k % 4]) + "\n";
  const std::string not_finite = ": a value that is not a finite number";
  const std::string unnamed = "cannot be named in a PyMOL script";
  std::vector<bad_case> cases = {
      {"rebuild: nan in a parameter file", {{"p.txt", pars_with("nan")}}, {"rebuild", "--par-file=p.txt", "-o=m.pdb"}, 1,
       "[e] p.txt, line 2" + not_finite + ": 'A-T"},
      {"rebuild: inf in a parameter file", {{"p.txt", pars_with("-inf")}}, {"rebuild", "--par-file=p.txt", "-o=m.pdb"},
       1, "[e] p.txt, line 2" + not_finite},
      {"rebuild: a rise beyond a double", {{"p.txt", pars_with("1e999")}}, {"rebuild", "--par-file=p.txt", "-o=m.pdb"},
       1, "[e] p.txt, line 2" + not_finite},
      {"rebuild: coordinates overflowing to inf", {{"p.txt", every_rise("1.7e308")}},
       {"rebuild", "--par-file=p.txt", "-o=m.pdb"}, 1, "coordinates that are not finite numbers"},
      {"rebuild: nan in a frame file", {{"f.txt", frame_nan}}, {"rebuild", "--frame-file=f.txt", "-o=m.pdb"}, 1,
       "[e] f.txt, line 3" + not_finite},
      {"rebuild: inf in a layer list", {{"x.pdb", good}, {"l.txt", "x.pdb 0 0 3.4 0 0 36\nx.pdb 0 0 inf 0 0 36\n"}},
       {"rebuild", "--unit-in-frame", "--par-file=l.txt", "-o=m.pdb"}, 1, "[e] l.txt, line 2" + not_finite},
      // found by the bind fuzz target: the template was read by the name's
      // first part, and the script of the build cut at the byte
      {"composite: a template name holding a NUL byte", {{"t.pdb", good}, {"b.txt", std::string("5 t.pdb\0x\n", 10)}},
       {"composite", "--bind-file=b.txt", "--seq=A60", "-o=c.pdb"}, 1,
       "[w] binding template file not exist: '5 t.pdb?x' --- ignored"},
      {"fiber: sequence file /dev/zero", {}, {"fiber", "--seq-file=/dev/zero", "-o=m.pdb"}, 1,
       "[e] /dev/zero, line 1: a NUL byte -- not a sequence file"},
      {"composite: sequence file /dev/zero", {}, {"composite", "--circular-dna", "--seq-file=/dev/zero", "-o=c.par"}, 1,
       "a NUL byte -- not a sequence file"},
      {"fiber: 126,000 bases in a file", {{"s.txt", long_seq}}, {"fiber", "--seq-file=s.txt", "-o=m.pdb"}, 1,
       "[e] sequence longer than 100000 bases once expanded"},
      {"fiber: a line of 2,000,000 blanks", {{"s.txt", "ACGT" + std::string(2000000, ' ') + "\n"}},
       {"fiber", "--seq-file=s.txt", "-o=m.pdb"}, 1, "[e] s.txt, line 1: longer than 1000000 characters"},
      {"cartoon image of a name with ';'", {{"x;system touch INJECTED;.pdb", good}},
       {"-i=x;system touch INJECTED;.pdb", "--cartoon-block=ray", "-o=c.pml"}, 1, unnamed},
      {"H-bond script of a name with a double quote", {{"d\"x.pdb", good}}, {"-i=d\"x.pdb", "--get-hbond=pymol", "-o=h.pml"},
       1, unnamed},
      {"H-bond script of a name with a line break", {{"n\nx.pdb", good}}, {"-i=n\nx.pdb", "--get-hbond=jmol", "-o=h.spt"},
       1, "cannot be named in a Jmol script"},
      {"stacking selection hiding a command",
       {{"x.pdb", good + "REMARK select layer1, resi 1-2; system touch INJECTED\nREMARK select layer1, resi 1-3\n"
                         "REMARK select layer2, resi 4-6\n"}},
       {"task", "--stacking-diagram=fill", "-i=x.pdb", "-o=s.pml"}, 0,
       "[w] line 91 of 'x.pdb': 'select layer1, resi 1-2; system touch INJECTED' holds more than a selection -- ignored"},
  };
  for (const auto& c : cases) check(c);
}

// Every line-based reader has its bounds: a line longer than 1 MiB (a file
// without line ends, /dev/zero) ends the read at once naming the file and
// line, and so do more rows than any real list or parameter file holds.
TEST_F(BadInput, endless_lines_and_rows_end_the_read_at_once) {
  const std::string good = join(trna_atoms(90));
  const std::string too_long = ": longer than 1048576 bytes -- not read further";
  const std::string zero = "[e] /dev/zero, line 1" + too_long;
  std::string rows;
  for (int k = 0; k <= 100000; ++k) rows += "A-T 0 0 0 0 -10 0 0 0 3.4 0 0 36\n";
  std::string comments;
  for (int k = 0; k <= 1000000; ++k) comments += "#\n";
  std::string frames = "# 2048 frames\n";
  for (int k = 1; k <= 2048; ++k) frames += "   " + std::to_string(k) + " A-T\n" + std::string(4, 'x') + "\n";
  for (size_t p; (p = frames.find("xxxx")) != std::string::npos;)
    frames.replace(p, 4, "0.0 0.0 0.0\n1.0 0.0 0.0\n0.0 1.0 0.0\n0.0 0.0 1.0");
  std::string sites;
  for (int k = 0; k <= 1000; ++k) sites += std::to_string(10 * k + 1) + " missing.pdb\n";
  std::string repeated_tetrad;
  for (int k = 0; k < 100000; ++k) repeated_tetrad += "1 2 3 4\n";
  std::vector<bad_case> cases = {
      {"structure /dev/zero", {}, {"-i=/dev/zero", "-o=out.txt"}, 1, zero},
      {"rebuild: parameter file /dev/zero", {}, {"rebuild", "--par-file=/dev/zero", "-o=m.pdb"}, 1, zero},
      {"rebuild: frame file /dev/zero", {}, {"rebuild", "--frame-file=/dev/zero", "-o=m.pdb"}, 1, zero},
      {"pair list /dev/zero", {{"x.pdb", good}}, {"-i=x.pdb", "--pair-list-inp=/dev/zero", "-o=out.txt"}, 1, zero},
      {"analyze: pair list /dev/zero", {{"x.pdb", good}}, {"analyze", "-i=x.pdb", "--ds-input=/dev/zero", "-o=o.txt"},
       1, zero},
      {"G4 list /dev/zero", {{"x.pdb", good}}, {"-i=x.pdb", "--g4-list=/dev/zero", "-o=out.txt"}, 1, zero},
      {"composite: binding sites /dev/zero", {}, {"composite", "--bind-file=/dev/zero", "-o=c.pdb"}, 1, zero},
      // the copies of one tetrad took cubic time to be ordered into helices
      {"G4 list of one tetrad 100,000 times", {{"x.pdb", good}, {"l.txt", repeated_tetrad}},
       {"-i=x.pdb", "--g4-list=l.txt", "-o=out.txt"}, 0, "[w] ignore line: 1 2 3 4 [repeated G-tetrad]"},
      {"task: Alchemy file /dev/zero", {}, {"task", "--alc2mol=/dev/zero", "-o=m.mol"}, 1, zero},
      {"rebuild: a parameter line of 2,000,000 digits", {{"p.txt", std::string(2000000, '1') + "\n"}},
       {"rebuild", "--par-file=p.txt", "-o=m.pdb"}, 1, "[e] p.txt, line 1" + too_long},
      {"rebuild: 100,001 parameter rows", {{"p.txt", rows}}, {"rebuild", "--par-file=p.txt", "-o=m.pdb"}, 1,
       "[e] p.txt, line 100001: more than 100000 parameter rows -- not read further"},
      {"rebuild: 8,192 coordinate lines in a frame file", {{"f.txt", frames}},
       {"rebuild", "--frame-file=f.txt", "-o=m.pdb"}, 1,
       "[e] f.txt, line 10241: more than 8191 coordinate lines -- not read further"},
      {"pair list of 1,000,001 lines", {{"x.pdb", good}, {"l.txt", comments}},
       {"-i=x.pdb", "--pair-list-inp=l.txt", "-o=out.txt"}, 1,
       "[e] l.txt, line 1000001: more than 1000000 lines -- not read further"},
      {"composite: 1,001 binding sites", {{"b.txt", sites}}, {"composite", "--bind-file=b.txt", "-o=c.pdb"}, 1,
       "[e] b.txt, line 1001: more than 1000 binding sites -- not read further"},
  };
  for (const auto& c : cases) check(c);
}

// Found by the task fuzz target: a least-squares fit of fewer than three
// atoms has nothing fitted, and its writer read past the fitted atoms.
TEST_F(BadInput, a_fit_of_fewer_than_three_atoms_is_refused) {
  const std::string two = "2\ntwo atoms\n O 1.0 2.0 3.0\n C 2.0 3.0 4.0\n";
  const std::string needs = "atoms -- a fit needs at least 3";
  check({"xyz files of two atoms", {{"a.xyz", two}}, {"task", "--ls-fit-files=a.xyz a.xyz", "--ls-fit-xyz", "-o=f.xyz"},
         1, "[e] a.xyz and a.xyz: 2 " + needs});
  check({"xyz files of no atoms", {{"a.xyz", "0\nnone\n"}},
         {"task", "--ls-fit-files=a.xyz a.xyz", "--ls-fit-xyz", "-o=f.xyz"}, 1, "[e] a.xyz and a.xyz: 0 " + needs});
  check({"PDB files of two atoms", {{"a.pdb", join(trna_atoms(2))}}, {"task", "--ls-fit-files=a.pdb a.pdb", "-o=f.pdb"},
         1, "[e] a.pdb and a.pdb: 2 " + needs});
}

// Thousands of atoms at one point, or clumped into a few Angstrom, are no
// molecule: refused before the neighbour searches would go quadratic, within
// the processor-time limit of every case.
TEST_F(BadInput, co_located_and_clumped_atoms_are_refused_quickly) {
  const std::vector<std::string> atoms = trna_atoms(100000);
  std::mt19937 gen(11);
  std::uniform_real_distribution<double> in_cube(0.0, 6.0);
  auto many = [&](size_t n, bool clump) {
    std::string s;
    char xyz[32];
    for (size_t i = 0; i < n; ++i) {
      std::string l = atoms[i % atoms.size()];
      const size_t copy = i / atoms.size();  // each copy its own chain and numbers
      l[21] = static_cast<char>('A' + copy % 26);
      std::snprintf(xyz, sizeof xyz, "%4zu", (std::stoul(l.substr(22, 4)) + 100 * (copy / 26)) % 10000);
      l.replace(22, 4, xyz);
      if (clump)
        std::snprintf(xyz, sizeof xyz, "%8.3f%8.3f%8.3f", in_cube(gen), in_cube(gen), in_cube(gen));
      else
        std::snprintf(xyz, sizeof xyz, "%8.3f%8.3f%8.3f", 1.0, 2.0, 3.0);
      l.replace(30, 24, xyz);
      s += l + "\n";
    }
    return s;
  };
  check({"32,000 atoms at one point", {{"x.pdb", many(32000, false)}}, {"-i=x.pdb", "-o=out.txt"}, 1,
         "[e] 32000 atoms crowd into 4.8 A around (1.0, 2.0, 3.0): far denser than any molecule"});
  check({"64,000 atoms at one point", {{"x.pdb", many(64000, false)}}, {"-i=x.pdb", "-o=out.txt"}, 1,
         "far denser than any molecule"});
  check({"32,000 atoms in a 6 A cube", {{"x.pdb", many(32000, true)}}, {"-i=x.pdb", "-o=out.txt"}, 1,
         "far denser than any molecule"});
  // a few hundred at one point are quick anyway and analysed
  check({"500 atoms at one point", {{"x.pdb", many(500, false)}}, {"-i=x.pdb", "-o=out.txt"}, kEither, ""});
}

// ---------------------------------------------------------------------------
// The working folder as a hostile place: links, FIFOs and other runs under
// the names of the auxiliary files, and outputs that cannot be written.

class WorkFolder : public BadInput {
 protected:
  void SetUp() override {
    BadInput::SetUp();
    dir_ = root_ / "work";
    fs::create_directory(dir_);
    fs::create_directory(root_ / "elsewhere");
  }
  void put(const std::string& name, const std::string& text) {
    std::ofstream(dir_ / name, std::ios::binary) << text;
  }
  static bool is_plain(const fs::path& p) { return fs::is_regular_file(fs::symlink_status(p)); }
  fs::path dir_;
};

// A link under an auxiliary name is replaced, never written through or left
// to create its target: dangling, to a file, or a hard link; with the
// clean-up at the start and with --cleanup=no alike.
TEST_F(WorkFolder, links_under_auxiliary_names_are_replaced_not_followed) {
  const std::string trna = join(trna_atoms(100000));
  const fs::path away = root_ / "elsewhere";
  for (const char* cleanup : {"--cleanup=yes", "--cleanup=no"}) {
    SCOPED_TRACE(cleanup);
    fs::remove_all(dir_);
    fs::create_directory(dir_);
    fs::remove_all(away);
    fs::create_directory(away);
    put("x.pdb", trna);
    fs::create_symlink("../elsewhere/dangling", dir_ / "vask-torsions.txt");
    std::ofstream(away / "target") << "mine\n";
    fs::create_symlink(away / "target", dir_ / "vask-2ndstrs.dbn");
    std::ofstream(away / "hard") << "mine too\n";
    fs::create_hard_link(away / "hard", dir_ / "vask-pairs.pdb");
    std::vector<std::string> args = {"-i=x.pdb", "-o=out.txt"};
    if (std::string(cleanup) == "--cleanup=no") args.emplace_back(cleanup);
    child_result r = run_exe(dir_, args);
    ASSERT_FALSE(r.timed_out);
    EXPECT_EQ(r.status, 0) << r.err.substr(0, 2000);
    EXPECT_FALSE(fs::exists(fs::symlink_status(away / "dangling"))) << "the link's target was created";
    EXPECT_EQ(test::read_file((away / "target").string()), "mine\n");
    EXPECT_EQ(test::read_file((away / "hard").string()), "mine too\n");
    for (const char* name : {"vask-torsions.txt", "vask-2ndstrs.dbn", "vask-pairs.pdb"}) {
      EXPECT_TRUE(is_plain(dir_ / name)) << name;
      EXPECT_GT(fs::file_size(dir_ / name), 20u) << name;
    }
  }
  // the program log under its own name is made anew too
  fs::create_symlink("../elsewhere/log", dir_ / "vask-prog.log");
  child_result logged = run_exe(dir_, {"-i=x.pdb", "-o=out.txt", "--prg-log"});
  EXPECT_EQ(logged.status, 0) << logged.err.substr(0, 2000);
  EXPECT_FALSE(fs::exists(fs::symlink_status(away / "log")));
  EXPECT_TRUE(is_plain(dir_ / "vask-prog.log"));
  // the clean-up alone removes links, not what they point to
  fs::remove(dir_ / "vask-stems.pdb");
  fs::create_symlink(away / "target", dir_ / "vask-stems.pdb");
  child_result r = run_exe(dir_, {"--cleanup"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_FALSE(fs::exists(fs::symlink_status(dir_ / "vask-stems.pdb")));
  EXPECT_EQ(test::read_file((away / "target").string()), "mine\n");
}

// A FIFO (or any other non-regular file) under an auxiliary name neither
// hangs a run nor is touched: the run stops with a message naming it, unless
// it keeps earlier files and never writes that name.
TEST_F(WorkFolder, fifos_under_auxiliary_names_are_an_error_not_a_hang) {
  const std::string trna = join(trna_atoms(100000));
  const std::string small = join(trna_atoms(90));  // no helices
  struct fifo_case {
    const char* name;
    std::string input;
    std::vector<std::string> args;
    int status;
  };
  const std::string named = "[e] 'vask-helices.pdb' is not a regular file";
  const std::vector<fifo_case> cases = {
      {"clean-up at the start", trna, {"-i=x.pdb", "-o=out.txt"}, 1},
      {"clean-up alone", trna, {"--cleanup"}, 1},
      {"kept, then written", trna, {"-i=x.pdb", "-o=out.txt", "--cleanup=no"}, 1},
      {"kept, never written", small, {"-i=x.pdb", "-o=out.txt", "--cleanup=no"}, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove_all(dir_);
    fs::create_directory(dir_);
    put("x.pdb", c.input);
    ASSERT_EQ(mkfifo((dir_ / "vask-helices.pdb").c_str(), 0644), 0);
    child_result r = run_exe(dir_, c.args);
    ASSERT_FALSE(r.timed_out) << "hung on the FIFO";
    EXPECT_EQ(r.status, c.status) << r.err.substr(0, 2000);
    if (c.status == 1) {
      EXPECT_NE(r.err.find(named), std::string::npos) << r.err.substr(0, 2000);
    }
    EXPECT_TRUE(fs::is_fifo(dir_ / "vask-helices.pdb"));
  }
}

// A report that does not get through is a failed run, on standard output or
// in a file, per structure (lists, ensembles) or at the end.
TEST_F(WorkFolder, output_that_cannot_be_written_fails_the_run) {
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
  const std::string small = join(trna_atoms(90));
  put("x.pdb", small);
  put("y.pdb", small);
  put("l.txt", "x.pdb\ny.pdb\n");
  put("e.pdb", "MODEL        1\n" + small + "ENDMDL\nMODEL        2\n" + small + "ENDMDL\n");
  struct full_case {
    const char* name;
    std::vector<std::string> args;
    bool on_stdout;
    const char* message;
  };
  const char* lost = "[e] an output file could not be written completely";
  const std::vector<full_case> cases = {
      {"report on standard output", {"-i=x.pdb"}, true, "[e] cannot write standard output"},
      {"report on standard output, JSON", {"-i=x.pdb", "--json"}, true, "[e] cannot write standard output"},
      {"report file", {"-i=x.pdb", "-o=/dev/full"}, false, lost},
      {"list into one file", {"--ilist=l.txt", "-o=one:/dev/full"}, false, lost},
      {"list on standard output", {"--ilist=l.txt", "-o=one:stdout"}, true, "[e] cannot write standard"},
      {"ensemble", {"-i=e.pdb", "--nmr", "-o=/dev/full"}, false, lost},
      {"ensemble on standard output", {"-i=e.pdb", "--nmr", "-o=stdout"}, true, "[e] cannot write standard"},
      {"run log", {"-i=x.pdb", "-o=out.txt", "--run-log=/dev/full"}, false, lost},
      {"program log", {"-i=x.pdb", "-o=out.txt", "--prg-log=/dev/full"}, false, lost},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    child_result r = run_exe(dir_, c.args, 0, c.on_stdout ? "/dev/full" : nullptr);
    ASSERT_FALSE(r.timed_out);
    EXPECT_EQ(r.signal, 0);
    EXPECT_EQ(r.status, 1) << r.err.substr(0, 2000);
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err.substr(0, 2000);
  }
}

// A file without line ends is read a bounded line at a time: 64 MB in one
// line ends the read at its first MiB, without needing 64 MB (let alone twice
// that) or ending the run by a signal.
TEST_F(WorkFolder, a_huge_line_is_read_in_bounded_memory) {
  {
    std::ofstream out(dir_ / "x.pdb", std::ios::binary);
    const std::string block(1 << 20, 'A');
    for (int k = 0; k < 64; ++k) out << block;
  }
  put("small.pdb", std::string(1000, 'A'));  // the memory any run needs (sanitizers included)
  const long base_kb = run_exe(dir_, {"-i=small.pdb", "-o=out.txt"}).max_rss_kb;
  child_result r = run_exe(dir_, {"-i=x.pdb", "-o=out.txt"});
  ASSERT_FALSE(r.timed_out);
  EXPECT_EQ(r.signal, 0);
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("[e] x.pdb, line 1: longer than 1048576 bytes -- not read further"), std::string::npos)
      << r.err.substr(0, 2000);
  EXPECT_LT(r.max_rss_kb - base_kb, 24 * 1024) << "kB more than a small run";
}

// A sequence file is read only as far as it can give a sequence: 64 MB of
// bases (on one line or many), or of comments, costs no more memory than a
// small run.
TEST_F(WorkFolder, a_huge_sequence_file_is_read_in_bounded_memory) {
  put("small.txt", "ACGT\n");
  const long base_kb = run_exe(dir_, {"fiber", "--seq-file=small.txt", "-o=out.pdb"}).max_rss_kb;
  const struct {
    const char* name;
    std::string line;
    int status;
    const char* message;
  } cases[] = {
      {"one line", std::string(1 << 20, 'A'), 1, "[e] sequence longer than 100000 bases once expanded"},
      {"many lines", std::string(63, 'C') + "\n", 1, "[e] sequence longer than 100000 bases once expanded"},
      {"comments only: an empty model", "# " + std::string(61, 'G') + "\n", 0, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    {
      std::ofstream out(dir_ / "big.txt", std::ios::binary);
      for (size_t n = 0; n < (size_t{64} << 20); n += c.line.size()) out << c.line;
    }
    child_result r = run_exe(dir_, {"fiber", "--seq-file=big.txt", "-o=out.pdb"});
    ASSERT_FALSE(r.timed_out);
    EXPECT_EQ(r.signal, 0);
    EXPECT_EQ(r.status, c.status);
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err.substr(0, 2000);
    EXPECT_LT(r.max_rss_kb - base_kb, 24 * 1024) << "kB more than a small run";
  }
}

// A structure larger than the memory at hand ends with a message and status
// 1, not an abort. The sanitizers reserve far more address space than any
// limit that would show this, so their builds skip it.
TEST_F(WorkFolder, running_out_of_memory_is_a_clear_error) {
  if (kSanitized) GTEST_SKIP() << "a sanitizer build cannot run under an address-space limit";
  const std::string trna = join(trna_atoms(1700));
  {
    std::ofstream out(dir_ / "big.pdb", std::ios::binary);
    for (int k = 0; k < 30; ++k) out << trna;  // about 50,000 atoms, 4 MB
  }
  put("small.pdb", join(trna_atoms(200)));
  constexpr long kLimitMb = 64;
  child_result small = run_exe(dir_, {"-i=small.pdb", "-o=out.txt"}, 0, nullptr, nullptr, kLimitMb);
  ASSERT_EQ(small.status, 0) << "a small run must fit the limit: " << small.err.substr(0, 2000);
  child_result r = run_exe(dir_, {"-i=big.pdb", "-o=out.txt"}, 0, nullptr, nullptr, kLimitMb);
  ASSERT_FALSE(r.timed_out);
  EXPECT_EQ(r.signal, 0);
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("[e] out of memory: the input is too large for the memory available\n"),
            std::string::npos)
      << r.err.substr(0, 2000);
}

// Standard input has no file name to tell the format: mmCIF is recognised by
// its content, as it is in a file of any name.
TEST_F(WorkFolder, mmcif_on_standard_input_is_recognised) {
  const fs::path in = root_ / "stdin.dat";  // outside the working folder
  struct stdin_case {
    const char* name;
    std::string text;
    int status;
    const char* said;
  };
  const std::vector<stdin_case> cases = {
      {"mmCIF", test::read_file(test::test_data("1ehz.cif")), 0, "no. of nucleotides:    76\n"},
      {"PDB", test::read_file(test::test_data("1ehz.pdb")), 0, "no. of nucleotides:    76\n"},
      {"neither", random_bytes(3000, 7), 1, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::ofstream(in, std::ios::binary) << c.text;
    for (const char* name : {"-i=-", "-i=stdin"}) {
      child_result r = run_exe(dir_, {name, "-o=out.txt"}, 0, nullptr, in.c_str());
      ASSERT_FALSE(r.timed_out);
      EXPECT_EQ(r.status, c.status) << r.err.substr(0, 2000);
      if (c.status == 0) {
        EXPECT_NE(test::read_file((dir_ / "out.txt").string()).find(c.said), std::string::npos);
      } else {
        EXPECT_NE(r.err.find("no ATOM/HETATM records found"), std::string::npos) << r.err.substr(0, 2000);
      }
    }
  }
}

TEST_F(BadInput, inputs_named_like_auxiliary_files_are_refused) {
  const std::string good = join(trna_atoms(90));
  std::vector<bad_case> cases = {
      {"listed file", {{"vask-pairs.pdb", good}, {"x.pdb", good}, {"l.txt", "x.pdb\nvask-pairs.pdb\n"}},
       {"--ilist=l.txt", "-o=out.txt"}, 1, "[e] the listed file 'vask-pairs.pdb' has the name of an auxiliary file"},
      {"listed file by another path", {{"vask-stems.cif", good}, {"l.txt", "./vask-stems.cif\n"}},
       {"--ilist=l.txt", "-o=one:all.txt"}, 1, "[e] the listed file './vask-stems.cif'"},
      {"nucleotide-list input", {{"x.pdb", good}, {"vask-nts.txt", "A.G1\n"}},
       {"-i=x.pdb", "-o=out.txt", "--nt-list-inp=vask-nts.txt"}, 1, "[e] the nucleotide-list input 'vask-nts.txt'"},
      {"the prefix lock as input", {{"vask-lock", good}}, {"-i=vask-lock", "-o=out.txt"}, 1, "[e] the input file 'vask-lock'"},
      {"the G4 trace of the prefix as input", {{"ab-G4modelBBLkg.pdb", good}},
       {"-i=ab-G4modelBBLkg.pdb", "--prefix=ab", "-o=out.txt"}, 1, "[e] the input file 'ab-G4modelBBLkg.pdb'"},
  };
  for (const auto& c : cases) check(c);
}

// Two runs with one prefix in one folder: the second stops at once and
// touches nothing; another prefix runs beside it.
TEST_F(WorkFolder, a_second_run_with_the_same_prefix_stops) {
  put("x.pdb", join(trna_atoms(90)));
  put("vask-torsions.txt", "the other run's\n");
  const int fd = open((dir_ / "vask-lock").c_str(), O_RDWR | O_CREAT, 0644);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(flock(fd, LOCK_EX | LOCK_NB), 0);  // as a run in progress holds it
  child_result r = run_exe(dir_, {"-i=x.pdb", "-o=out.txt"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("[e] another run is using prefix 'vask' in this folder"), std::string::npos) << r.err;
  EXPECT_EQ(test::read_file((dir_ / "vask-torsions.txt").string()), "the other run's\n");
  r = run_exe(dir_, {"--cleanup"});
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(fs::exists(dir_ / "vask-torsions.txt"));
  r = run_exe(dir_, {"-i=x.pdb", "-o=out2.txt", "--prefix=other"});
  EXPECT_EQ(r.status, 0) << r.err;
  // the interaction module takes the lock of its own prefix
  const int triz_fd = open((dir_ / "triz-lock").c_str(), O_RDWR | O_CREAT, 0644);
  ASSERT_EQ(flock(triz_fd, LOCK_EX | LOCK_NB), 0);
  r = run_exe(dir_, {"triz", "-i=x.pdb", "-o=t.txt"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("[e] another run is using prefix 'triz'"), std::string::npos) << r.err;
  close(triz_fd);
  close(fd);
  r = run_exe(dir_, {"-i=x.pdb", "-o=out.txt"});
  EXPECT_EQ(r.status, 0) << r.err;
}

// The sub-commands keep the main command's promises. A link planted under a
// fixed name is replaced, never written through; an input under a fixed
// name, or an output naming an input or another output, is refused before
// anything is written or removed; a run holding the folder's lock stops a
// second one at once; a finished run leaves no lock file.
TEST_F(WorkFolder, sub_commands_replace_links_under_fixed_names) {
  const std::string duplex = test::read_file(test::test_data("1bna.pdb"));
  const fs::path away = root_ / "elsewhere";
  struct link_case {
    const char* name;
    std::vector<std::string> args;
    std::vector<const char*> links;
  };
  const std::vector<link_case> cases = {
      {"search", {"search", "--query=1bna.pdb", "--target=1bna.pdb", "-o=s.txt"},
       {"search-targets.txt", "search-results.csv"}},
      {"rebuild --conn", {"rebuild", "--par-file=pars.txt", "--conn", "-o=r.pdb"}, {"vask-temp.pdb"}},
      {"mutate", {"mutate", "-i=1bna.pdb", "--entry=chain=B name=DT num=19 to=DC", "-o=m.pdb"},
       {"valid-mutations.dat"}},
      // the first file of each kind is made anew, later parts added to it
      {"triz", {"triz", "-i=t.cif", "--auxfiles", "-o=t.txt"}, {"A-arg.pdb", "stacks-arg.pdb", "triz-dssp.txt"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove_all(dir_);
    fs::create_directory(dir_);
    put("1bna.pdb", duplex);
    put("t.cif", test::read_file(test::test_data("1a73-assembly-1.cif")));  // protein and DNA
    if (std::string(c.name) == "rebuild --conn") {
      ASSERT_EQ(run_exe(dir_, {"analyze", "-i=1bna.pdb", "--rebuild"}).status, 0);
      fs::rename(dir_ / "vask-dsStepPars.txt", dir_ / "pars.txt");
    }
    std::vector<fs::path> victims;
    for (const char* link : c.links) {
      victims.push_back(away / (std::string(link) + ".victim"));
      std::ofstream(victims.back()) << "mine\n";
      fs::create_symlink(victims.back(), dir_ / link);
    }
    const child_result r = run_exe(dir_, c.args);
    EXPECT_EQ(r.status, 0) << r.err.substr(0, 2000);
    for (const auto& victim : victims) EXPECT_EQ(test::read_file(victim.string()), "mine\n") << victim;
    for (const char* link : c.links) EXPECT_TRUE(is_plain(dir_ / link)) << link;
    EXPECT_FALSE(fs::exists(fs::symlink_status(dir_ / "vask-lock"))) << "the lock file stayed";
    EXPECT_FALSE(fs::exists(fs::symlink_status(dir_ / "search-lock"))) << "the lock file stayed";
    EXPECT_FALSE(fs::exists(fs::symlink_status(dir_ / "vask-fixed-names.lock"))) << "the lock file stayed";
  }
}

TEST_F(BadInput, sub_commands_never_remove_or_overwrite_inputs) {
  const std::string duplex = test::read_file(test::test_data("1bna.pdb"));
  const std::string complex = test::read_file(test::test_data("1a73-assembly-1.cif"));  // protein and DNA
  const std::string refused = "refusing to overwrite it";
  const std::vector<bad_case> cases = {
      {"search: a query named like the aligned query",
       {{"query-only-aligned.pdb", duplex}, {"1bna.pdb", duplex}},
       {"search", "--query=query-only-aligned.pdb", "--target=1bna.pdb", "-o=s.txt"}, 1,
       "[e] the fixed-name file 'query-only-aligned.pdb' is the query file: " + refused},
      {"search: a target named like a fixed file", {{"reversed-duplex.pdb", duplex}, {"1bna.pdb", duplex}},
       {"search", "--query=1bna.pdb", "--target=reversed-duplex.pdb", "-o=s.txt"}, 1,
       "[e] the fixed-name file 'reversed-duplex.pdb' is the target file: " + refused},
      {"search: a listed target named like the results", {{"search-results.csv", duplex}, {"1bna.pdb", duplex},
       {"l.txt", "search-results.csv\n"}},
       {"search", "--query=1bna.pdb", "--target-list=l.txt", "-o=s.txt"}, 1, "[e] "},
      {"triz: an input named like a fixed file", {{"triads.pdb", duplex}}, {"triz", "-i=triads.pdb", "-o=t.txt"}, 1,
       "[e] the fixed-name file 'triads.pdb' is the input file: " + refused},
      {"triz: an input named like a per-residue file", {{"A-arg.pdb", duplex}}, {"triz", "-i=A-arg.pdb", "-o=t.txt"},
       1, "[e] the fixed-name file 'A-arg.pdb' is the input file: " + refused},
      {"triz: the report naming the input", {{"x.pdb", duplex}}, {"triz", "-i=x.pdb", "-o=x.pdb"}, 1,
       "[e] the output file 'x.pdb' is the input file: " + refused},
      {"analyze: the report naming the input", {{"x.pdb", duplex}}, {"analyze", "-i=x.pdb", "-o=./x.pdb"}, 1,
       "[e] the output file './x.pdb' is the input file: " + refused},
      {"mutate: the model naming the input", {{"x.pdb", duplex}},
       {"mutate", "-i=x.pdb", "--entry=chain=B name=DT num=19 to=DC", "-o=x.pdb"}, 1,
       "[e] the output file 'x.pdb' is the input file: " + refused},
      {"fiber: the model naming the sequence file", {{"s.txt", "ACGT\n"}}, {"fiber", "--seq-file=s.txt", "-o=s.txt"},
       1, "[e] the output file 's.txt' is the sequence file: " + refused},
      {"composite: the command file naming the model", {{"t.pdb", duplex}},
       {"composite", "--bind=t.pdb:5", "--seq=ACGTACGTACGTACGTACGT", "--cmd-file=m.pdb", "-o=m.pdb"}, 1,
       "[e] the output file and the command file are the same file 'm.pdb'"},
      {"rebuild: the model naming the parameter file", {{"p.txt", "1 # bp\n"}},
       {"rebuild", "--par-file=p.txt", "--conn", "-o=p.txt"}, 1,
       "[e] the output file 'p.txt' is the parameter file: " + refused},
      {"composite: the model naming the binding template", {{"t.cif", complex}},
       {"composite", "--bind=5:t.cif", "--seq=(ACGT)8", "-o=t.cif"}, 1,
       "[e] the output file 't.cif' is the template file: " + refused},
      {"composite: the model naming the binding template by another name", {{"t.cif", complex}},
       {"composite", "--bind=5:t.cif", "--seq=(ACGT)8", "-o=./t.cif"}, 1,
       "[e] the output file './t.cif' is the template file: " + refused},
      // the lock files are removed when the run ends
      {"triz: an input named like the prefix lock", {{"triz-lock", duplex}}, {"triz", "-i=triz-lock", "-o=t.txt"}, 1,
       "[e] 'triz-lock' is the input file of this run: refusing to lock and then remove it"},
      {"search: a query named like the folder lock", {{"vask-fixed-names.lock", duplex}, {"1bna.pdb", duplex}},
       {"search", "--query=vask-fixed-names.lock", "--target=1bna.pdb", "-o=s.txt"}, 1,
       "[e] 'vask-fixed-names.lock' is the query file of this run: refusing to lock and then remove it"},
  };
  for (const auto& c : cases) check(c);
  // the command file may name no intermediate file of the assembly
  for (const char* intermediate : {"conn.pdb", "head.pdb", "final-raw.pdb", "ref-cnSite.pdb", "tidy-t.pdb"}) {
    const std::string name = intermediate;
    check({"composite: the command file naming " + name, {{"t.cif", complex}},
           {"composite", "--bind=5:t.cif", "--seq=(ACGT)8", "--cmd-file=" + name, "-o=m.pdb"}, 1,
           "[e] the command file and the intermediate file are the same file '" + name + "'"});
  }
}

TEST_F(WorkFolder, sub_commands_stop_while_another_run_holds_the_folder) {
  const std::string duplex = test::read_file(test::test_data("1bna.pdb"));
  put("1bna.pdb", duplex);
  put("p.txt", "1 # bp\n");
  struct locked_case {
    const char* lock;
    std::vector<std::string> args;
  };
  const std::vector<locked_case> cases = {
      {"vask-lock", {"composite", "--bind=1bna.pdb:5", "--seq=ACGTACGTACGTACGTACGT", "-o=m.pdb"}},
      {"vask-lock", {"composite", "--circular-dna", "-o=m.pdb"}},
      {"vask-lock", {"rebuild", "--par-file=p.txt", "--conn", "-o=m.pdb"}},
      {"vask-lock", {"mutate", "-i=1bna.pdb", "--entry=chain=B name=DT num=19 to=DC", "-o=m.pdb"}},
      {"vask-lock", {"task", "-i=1bna.pdb", "--frame-pair=first", "-o=m.pdb"}},
      {"search-lock", {"search", "--query=1bna.pdb", "--target=1bna.pdb", "-o=m.pdb"}},
      {"triz-lock", {"triz", "-i=1bna.pdb", "-o=m.pdb"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args[0] + " " + c.args[1]);
    const int fd = open((dir_ / c.lock).c_str(), O_RDWR | O_CREAT, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(flock(fd, LOCK_EX | LOCK_NB), 0);  // as a run in progress holds it
    const auto started = std::chrono::steady_clock::now();
    const child_result r = run_exe(dir_, c.args);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10)) << "waited for the lock";
    close(fd);
    fs::remove(dir_ / c.lock);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("[e] another run is using prefix '"), std::string::npos) << r.err.substr(0, 2000);
    EXPECT_FALSE(fs::exists(dir_ / "m.pdb")) << "the second run wrote its output";
  }
  // unlocked, the same runs finish and leave no lock file behind
  const child_result r = run_exe(dir_, {"task", "-i=1bna.pdb", "--frame-pair=first", "-o=m.pdb"});
  EXPECT_EQ(r.status, 0) << r.err.substr(0, 2000);
  for (const auto& entry : fs::directory_iterator(dir_)) {
    const std::string name = entry.path().filename().string();
    EXPECT_TRUE(name == "1bna.pdb" || name == "p.txt" || name == "m.pdb") << "left behind: " << name;
  }
}

// Two runs of the executable started at one moment in one folder: both
// children wait on a pipe that is closed once both are forked. Standard
// error of run k goes to "err<k>.txt" beside the folder.
std::vector<child_result> run_two_at_once(const fs::path& dir, const std::vector<std::vector<std::string>>& runs) {
  int gate[2];
  if (pipe(gate) != 0) return {};
  std::vector<pid_t> pids;
  for (std::size_t k = 0; k < runs.size(); ++k) {
    std::vector<std::string> words{VASK_EXE};
    words.insert(words.end(), runs[k].begin(), runs[k].end());
    std::vector<char*> argv;
    for (auto& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
    const std::string err_file = (dir.parent_path() / ("err" + std::to_string(k) + ".txt")).string();
    const pid_t pid = fork();
    if (pid == 0) {
      close(gate[1]);
      char c;
      while (read(gate[0], &c, 1) > 0) {
      }
      const int o = open("/dev/null", O_WRONLY);
      const int e = open(err_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      if (o < 0 || e < 0 || chdir(dir.c_str()) != 0) _exit(126);
      dup2(o, 1);
      dup2(e, 2);
      execv(VASK_EXE, argv.data());
      _exit(127);
    }
    pids.push_back(pid);
  }
  close(gate[0]);
  close(gate[1]);  // both start now
  std::vector<child_result> results(runs.size());
  for (std::size_t k = 0; k < pids.size(); ++k) {
    int ws = 0;
    waitpid(pids[k], &ws, 0);
    if (WIFSIGNALED(ws)) results[k].signal = WTERMSIG(ws);
    if (WIFEXITED(ws)) results[k].status = WEXITSTATUS(ws);
    results[k].err = test::read_file((dir.parent_path() / ("err" + std::to_string(k) + ".txt")).string());
  }
  return results;
}

long atom_lines(const fs::path& file) {
  std::ifstream in(file);
  long n = 0;
  for (std::string line; std::getline(in, line);) n += line.rfind("ATOM", 0) == 0 ? 1 : 0;
  return n;
}

// Two runs started together in one folder, with one prefix or with two
// (composite, rebuild and triz write names without the prefix): exactly one
// runs and writes the model a lone run writes; the other stops at once with
// the lock's message, status 1 and no output. Repeated to catch races.
TEST_F(WorkFolder, concurrent_sub_command_runs_never_mix_their_files) {
  put("t.cif", test::read_file(test::test_data("1a73-assembly-1.cif")));
  // parameter files of 200 and 400 pairs: runs long enough to overlap on a
  // loaded machine, and models of telling sizes
  for (const int pairs : {200, 400}) {
    const std::string n = std::to_string(pairs);
    std::string seq;
    for (int k = 0; k < pairs / 4; ++k) seq += "ACGT";
    ASSERT_EQ(run_exe(dir_, {"fiber", "--seq=" + seq, "-o=f.pdb"}).status, 0);
    ASSERT_EQ(run_exe(dir_, {"analyze", "-i=f.pdb", "--rebuild", "-o=f.txt"}).status, 0);
    fs::rename(dir_ / "vask-dsStepPars.txt", dir_ / ("p" + n + ".txt"));
  }

  struct pair_case {
    const char* name;
    std::vector<std::string> first, second;  // each writes -o=a.pdb or -o=b.pdb
    const char* busy;
  };
  const std::string same_prefix = "[e] another run is using prefix 'vask' in this folder";
  const std::string fixed_names = "[e] another run is using the fixed file names of this folder";
  const std::vector<pair_case> cases = {
      {"composite, one prefix", {"composite", "--bind=5:t.cif", "--seq=(ACGT)8", "-o=a.pdb"},
       {"composite", "--bind=5:t.cif", "--seq=(ACGT)10", "-o=b.pdb"}, same_prefix.c_str()},
      {"rebuild --conn, one prefix", {"rebuild", "--par-file=p200.txt", "--conn", "-o=a.pdb"},
       {"rebuild", "--par-file=p400.txt", "--conn", "-o=b.pdb"}, same_prefix.c_str()},
      {"composite, two prefixes", {"composite", "--prefix=one", "--bind=5:t.cif", "--seq=(ACGT)8", "-o=a.pdb"},
       {"composite", "--prefix=two", "--bind=5:t.cif", "--seq=(ACGT)10", "-o=b.pdb"}, fixed_names.c_str()},
      {"rebuild --conn, two prefixes", {"rebuild", "--prefix=one", "--par-file=p200.txt", "--conn", "-o=a.pdb"},
       {"rebuild", "--prefix=two", "--par-file=p400.txt", "--conn", "-o=b.pdb"}, fixed_names.c_str()},
      {"triz, two prefixes", {"triz", "--prefix=one", "-i=t.cif", "--auxfiles", "-o=a.pdb"},
       {"triz", "--prefix=two", "-i=t.cif", "--auxfiles", "-o=b.pdb"}, fixed_names.c_str()},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    // what each writes alone
    long alone[2];
    for (int k = 0; k < 2; ++k) {
      const child_result r = run_exe(dir_, k == 0 ? c.first : c.second);
      ASSERT_EQ(r.status, 0) << r.err.substr(0, 2000);
      const fs::path out = dir_ / (k == 0 ? "a.pdb" : "b.pdb");
      alone[k] = c.first[0] == "triz" ? static_cast<long>(fs::file_size(out)) : atom_lines(out);
      ASSERT_GT(alone[k], 0);
      fs::remove(out);
    }
    for (int round = 0; round < 3; ++round) {
      SCOPED_TRACE(round);
      const std::vector<child_result> r = run_two_at_once(dir_, {c.first, c.second});
      ASSERT_EQ(r.size(), 2u);
      ASSERT_EQ(r[0].signal + r[1].signal, 0);
      ASSERT_EQ(r[0].status + r[1].status, 1) << r[0].err.substr(0, 1000) << r[1].err.substr(0, 1000);
      const int ran = r[0].status == 0 ? 0 : 1;
      EXPECT_NE(r[1 - ran].err.find(c.busy), std::string::npos) << r[1 - ran].err.substr(0, 2000);
      const fs::path out = dir_ / (ran == 0 ? "a.pdb" : "b.pdb");
      const fs::path other = dir_ / (ran == 0 ? "b.pdb" : "a.pdb");
      EXPECT_EQ(c.first[0] == "triz" ? static_cast<long>(fs::file_size(out)) : atom_lines(out), alone[ran]);
      EXPECT_FALSE(fs::exists(other)) << "the stopped run wrote its output";
      fs::remove(out);
      for (const char* lock : {"vask-lock", "one-lock", "two-lock", "vask-fixed-names.lock"})
        EXPECT_FALSE(fs::exists(fs::symlink_status(dir_ / lock))) << lock << " stayed";
    }
  }
}

// PyMOL and convert, run by the cartoon block, write the names they are
// given themselves: each is made anew first, so that a link planted under
// the block file, the image, PyMOL's session or its captured messages is
// replaced and what it points to is left alone.
TEST_F(WorkFolder, cartoon_runner_replaces_links_under_the_files_it_makes) {
  if (std::system("/usr/bin/python3 -c 'import pymol' >/dev/null 2>&1") != 0) GTEST_SKIP() << "no PyMOL here";
  if (std::system("command -v convert >/dev/null 2>&1") != 0) GTEST_SKIP() << "no ImageMagick convert here";
  // Debian's "pymol" runs the first python3 on the path: the system one here
  const fs::path bin = root_ / "bin";
  fs::create_directory(bin);
  std::ofstream(bin / "pymol") << "#!/bin/sh\nexec /usr/bin/python3 -m pymol \"$@\"\n";
  fs::permissions(bin / "pymol", fs::perms::owner_all);
  const char* path = std::getenv("PATH");
  const std::string saved = path != nullptr ? path : "/usr/bin:/bin";
  setenv("PATH", (bin.string() + ":" + saved).c_str(), 1);

  put("1ehz.pdb", test::read_file(test::test_data("1ehz.pdb")));
  const fs::path away = root_ / "elsewhere";
  const std::vector<std::string> made = {"1ehz.r3d", "1ehz.png", "1ehz.pse", "1ehz-pymol.png", "msg"};
  for (const auto& name : made) {
    std::ofstream(away / name) << "mine\n";
    fs::create_symlink(away / name, dir_ / name);
  }
  const child_result r = run_exe(dir_, {"-i=1ehz.pdb", "--cartoon-block=run,pse", "-o=c.pml"});
  // "msg" has a fixed name: a run of another prefix holding the folder's
  // fixed names stops this one at once
  const int fd = open((dir_ / "vask-fixed-names.lock").c_str(), O_RDWR | O_CREAT, 0644);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(flock(fd, LOCK_EX | LOCK_NB), 0);
  const child_result locked = run_exe(dir_, {"-i=1ehz.pdb", "--prefix=other", "--cartoon-block=run", "-o=d.pml"});
  close(fd);
  fs::remove(dir_ / "vask-fixed-names.lock");
  setenv("PATH", saved.c_str(), 1);
  ASSERT_EQ(r.status, 0) << r.err.substr(0, 2000);
  for (const auto& name : made) EXPECT_EQ(test::read_file((away / name).string()), "mine\n") << name;
  for (const char* name : {"1ehz.r3d", "1ehz.png", "1ehz.pse", "msg"}) {
    EXPECT_TRUE(is_plain(dir_ / name)) << name;
    EXPECT_GT(fs::file_size(dir_ / name), 0u) << name;
  }
  EXPECT_EQ(locked.status, 1);
  EXPECT_NE(locked.err.find("[e] another run is using the fixed file names of this folder"), std::string::npos)
      << locked.err.substr(0, 2000);
  EXPECT_FALSE(fs::exists(dir_ / "d.pml"));
}

// PyMOL run by the program writes "msg" whatever the prefix: a run that
// would run it stops at once while another holds the folder's fixed names;
// one that only writes a script goes on.
TEST_F(WorkFolder, pymol_runs_wait_for_the_folders_fixed_names) {
  put("1ehz.pdb", test::read_file(test::test_data("1ehz.pdb")));
  const int fd = open((dir_ / "vask-fixed-names.lock").c_str(), O_RDWR | O_CREAT, 0644);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(flock(fd, LOCK_EX | LOCK_NB), 0);
  const struct {
    const char* option;
    int status;
  } cases[] = {
      {"--cartoon-block=run", 1},
      {"--get-hbond=pymol,convert", 1},
      {"--get-hbond=pymol", 0},
  };
  for (const auto& c : cases) {
    const child_result r = run_exe(dir_, {"-i=1ehz.pdb", "--prefix=other", c.option, "-o=out.txt"});
    EXPECT_EQ(r.status, c.status) << c.option << "\n" << r.err.substr(0, 2000);
    const bool stopped = r.err.find("[e] another run is using the fixed file names of this folder") != std::string::npos;
    EXPECT_EQ(stopped, c.status == 1) << c.option;
    EXPECT_EQ(fs::exists(dir_ / "out.txt"), c.status == 0) << c.option;
    fs::remove(dir_ / "out.txt");
  }
  close(fd);
}

// Every sub-command's report that does not get through fails the run.
TEST_F(WorkFolder, sub_command_output_that_cannot_be_written_fails_the_run) {
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
  put("1bna.pdb", test::read_file(test::test_data("1bna.pdb")));
  put("1ehz.pdb", test::read_file(test::test_data("1ehz.pdb")));
  const std::vector<std::vector<std::string>> cases = {
      {"analyze", "-i=1bna.pdb", "-o=/dev/full"},
      {"fiber", "--seq=ACGTACGT", "-o=/dev/full"},
      {"mutate", "-i=1bna.pdb", "--entry=chain=B name=DT num=19 to=DC", "-o=/dev/full"},
      {"task", "-i=1bna.pdb", "--frame-pair=first", "-o=/dev/full"},
      {"triz", "-i=1bna.pdb", "-o=/dev/full"},
      {"search", "--query=1bna.pdb", "--target=1bna.pdb", "-o=/dev/full"},
      {"project", "-i=1ehz.pdb", "--id-name=c2", "-o=/dev/full"},
      {"project", "-i=1ehz.pdb", "--id-name=tloop", "-o=/dev/full"},
      {"project", "-i=1ehz.pdb", "--id-name=sum-b", "-o=/dev/full"},
      {"composite", "--circular-dna", "-o=/dev/full"},
  };
  for (const auto& args : cases) {
    SCOPED_TRACE(args[0] + " " + args[1] + " " + args[2]);
    const child_result r = run_exe(dir_, args);
    ASSERT_FALSE(r.timed_out);
    EXPECT_EQ(r.status, 1) << r.err.substr(0, 2000);
    EXPECT_NE(r.err.find("[e] "), std::string::npos) << r.err.substr(0, 2000);
  }
}

// The listing of auxiliary files names what this run wrote, not what an
// earlier run left behind under --cleanup=no.
TEST_F(WorkFolder, auxiliary_file_listing_shows_this_runs_files_only) {
  put("t.pdb", join(trna_atoms(100000)));
  put("x.pdb", join(trna_atoms(90)));  // no pairs, no helices
  child_result r = run_exe(dir_, {"-i=t.pdb", "-o=t.txt"});
  ASSERT_EQ(r.status, 0) << r.err;
  ASSERT_TRUE(fs::exists(dir_ / "vask-helices.pdb"));
  for (const char* mode : {"--json=no", "--json"}) {
    SCOPED_TRACE(mode);
    r = run_exe(dir_, {"-i=x.pdb", "-o=out.txt", "--cleanup=no", mode});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string out = test::read_file((dir_ / "out.txt").string());
    EXPECT_EQ(out.find("vask-helices.pdb"), std::string::npos) << out.substr(out.size() > 1500 ? out.size() - 1500 : 0);
    EXPECT_EQ(out.find("vask-pairs.pdb"), std::string::npos);
    EXPECT_NE(out.find("vask-torsions.txt"), std::string::npos);  // written again by this run
  }
}

// A prefix too long for file names is measured and reported in bytes.
TEST_F(BadInput, prefix_limit_counted_in_bytes) {
  std::string accented;
  for (int k = 0; k < 120; ++k) accented += "\xc3\xa9";  // 120 letters, 240 bytes
  check({"120 accented letters", {{"x.pdb", join(trna_atoms(90))}}, {"-i=x.pdb", "--prefix=" + accented}, 1,
         "[e] --prefix is too long: at most 229 bytes make file names (240 given)"});
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

// A scratch folder of its own for a descriptor test; empty when none can be made.
fs::path descriptor_scratch() {
  std::string tmpl = (fs::temp_directory_path() / "vask-fd-XXXXXX").string();
  return mkdtemp(tmpl.data()) == nullptr ? fs::path() : fs::path(tmpl);
}

// The list and ensemble loops go on after a structure that fails: a failed
// read must not leave its file open, or a long list runs out of descriptors.
TEST(FailedReads, close_their_files) {
  set_globals("belqo-vask");
  test::log_capture quiet;
  const fs::path dir = descriptor_scratch();
  ASSERT_FALSE(dir.empty());
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

// A model that cannot be written (coordinates overflowing to infinity) ends
// the run with an error; the writer closes its file on the way out, so a
// process that goes on (the fuzz targets) keeps its descriptors.
TEST(FailedWrites, close_their_files) {
  set_globals("belqo-vask");
  test::log_capture quiet;
  const fs::path dir = descriptor_scratch();
  ASSERT_FALSE(dir.empty());
  const fs::path here = fs::current_path();
  fs::current_path(dir);  // the rebuild writes its side files here
  std::ofstream("p.txt") << "# three pairs\nA-T 0 0 0 0 -10 0 0 0 1.7e308 0 0 36\n"
                            "C-G 0 0 0 0 -10 0 0 0 1.7e308 0 0 36\nG-C 0 0 0 0 -10 0 0 0 1.7e308 0 0 36\n";
  rebuild_settings s;
  s.par_file = "p.txt";
  s.output = "m.pdb";
  const long before = open_descriptors();
  for (int k = 0; k < 20; ++k) {
    int status = 0;
    const std::string message = test::fatal_message([&] { run_rebuild(s); }, &status);
    EXPECT_EQ(status, 1);
    EXPECT_NE(message.find("coordinates that are not finite numbers"), std::string::npos) << message;
  }
  EXPECT_EQ(open_descriptors(), before);
  fs::current_path(here);
  fs::remove_all(dir);
  set_globals("belqo-vask");
}

// Writers and readers of every layer that stop on an error partway (a
// coordinate that is not a finite number, a line no reader takes, an output
// name taken by a folder) close the files they opened on the way out.
TEST(FailedWrites, close_their_files_in_every_layer) {
  set_globals("belqo-vask");
  test::log_capture quiet;
  const fs::path dir = descriptor_scratch();
  ASSERT_FALSE(dir.empty());
  const fs::path here = fs::current_path();
  fs::current_path(dir);  // the writers make their files here
  fs::copy_file(test::test_data("1bna.pdb"), "1bna.pdb");
  struct_mol mol;
  read_pdb("1bna.pdb", mol);
  ASSERT_GT(mol.num_residues, 2);
  // an atom of the second residue, after the first residue's lines are out
  mol.atoms[mol.residues[2].first_atom].xyz[2] = std::numeric_limits<double>::infinity();
  std::vector<pair> pairs(2);
  pairs[1].nt1 = 1;
  pairs[1].nt2 = 2;
  pairs[1].bp = "G-C";
  const std::string endless(MAX_LINE_BYTES + 1, 'A');
  std::ofstream("models.pdb") << "MODEL        1\nENDMDL\n" << endless << "\n";
  fs::create_directory("tmpl");
  std::ofstream("tmpl/frame_XYZ.pdb") << "REMARK a template\n" << endless << "\n";
  std::ofstream("source.txt") << "text\n";
  fs::create_directory("folder.txt");
  mutate_settings mutate;
  mutate.input = "1bna.pdb";
  mutate.output = "mutated.pdb";
  mutate.folder = "tmpl";
  mutate.entries = "chain=A num=3 to=XYZ";

  struct failing_run {
    const char* what;
    std::function<void()> run;
    const char* message;
  };
  const std::vector<failing_run> cases = {
      {"structure written whole", [&] { write_struct_mol(mol, "whole.pdb", true); }, "not finite numbers"},
      {"structure written in residue order", [&] { write_pdb_in_order(mol, "ordered.pdb"); }, "not finite numbers"},
      {"ensemble of pairs", [&] { write_pairs_pdb_frame(1, pairs, mol); }, "not finite numbers"},
      {"model numbers read from a file", [] { (void)get_nextModelNumber("models.pdb"); }, "longer than"},
      {"mutation with a broken template", [&] { run_mutate(mutate); }, "longer than"},
      {"copy onto a folder", [] { copy_file("source.txt", "folder.txt"); }, "folder.txt"},
  };
  const long before = open_descriptors();
  for (const failing_run& c : cases) {
    SCOPED_TRACE(c.what);
    for (int k = 0; k < 5; ++k) {
      int status = 0;
      const std::string message = test::fatal_message(c.run, &status);
      EXPECT_EQ(status, 1);
      EXPECT_NE(message.find(c.message), std::string::npos) << message;
    }
    EXPECT_EQ(open_descriptors(), before);
  }
  free_struct_mol(mol);
  fs::current_path(here);
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

// Inputs of the sub-commands that the fuzz targets turned up.
TEST_F(BadInput, subcommand_inputs_found_by_fuzzing) {
  const std::vector<bad_case> cases = {
      // the header's counts sized the arrays before a record was read
      {"Alchemy header claiming 4 billion atoms", {{"x.alc", "4000000000 ATOMS, 0 BONDS\n    1 C  0 0 0 0\n"}},
       {"task", "--alc2mol=x.alc", "-o=x.mol"}, 1, "error in reading atom record"},
      {"Alchemy header claiming 4 billion bonds", {{"x.alc", "1 ATOMS, 4000000000 BONDS\n    1 C  0 0 0 0\n"}},
       {"task", "--alc2mol=x.alc", "-o=x.mol"}, 1, "error in reading linkage records"},
      // a blank atom type reached the writer's assertion when merged
      {"Alchemy atom typed by a vertical tab, merged", {{"x.alc", "1 ATOMS, 0 BONDS\n    1 \v  0 0 0 0\n"}},
       {"task", "--merge-files=x.alc x.alc", "-o=m.alc"}, 1, "wrong atom record"},
      // a bond to an atom the file does not hold overflowed when merged
      {"Alchemy bond to atom 9223372036854775807, merged",
       {{"x.alc", "2 ATOMS, 1 BONDS\n    1 C  0 0 0 0\n    2 C  1 0 0 0\n    1    1 9223372036854775807\n"}},
       {"task", "--merge-files=x.alc x.alc", "-o=m.alc"}, 1, "wrong linkage record"},
      {"Alchemy bond to atom 0", {{"x.alc", "2 ATOMS, 1 BONDS\n    1 C  0 0 0 0\n    2 C  1 0 0 0\n    1    0    2\n"}},
       {"task", "--alc2mol=x.alc", "-o=x.mol"}, 1, "wrong linkage record"},
  };
  for (const auto& c : cases) check(c);
}

}  // namespace
}  // namespace vask
