#include "motifs/motif_fixture.hpp"

#include <stdlib.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>

namespace vask::test {

namespace fs = std::filesystem;

ExeRun::ExeRun(const std::vector<std::string>& inputs) {
  std::string tmpl = (fs::temp_directory_path() / "vask-motif-XXXXXX").string();
  if (mkdtemp(tmpl.data()) == nullptr) ADD_FAILURE() << "mkdtemp";
  dir_ = tmpl;
  for (const auto& name : inputs) fs::copy_file(test_data_unzipped(name), dir_ / name);
}

ExeRun::~ExeRun() { fs::remove_all(dir_); }

int ExeRun::run(const std::string& args) {
  const std::string cmd =
      "cd '" + dir_.string() + "' && '" VASK_EXE "' " + args + " >stdout.txt 2>stderr.txt";
  const int status = std::system(cmd.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string ExeRun::file(const std::string& name) const { return read_file((dir_ / name).string()); }

bool ExeRun::exists(const std::string& name) const { return fs::exists(dir_ / name); }

std::string ExeRun::gemmi_models(const std::string& name, long* models) const {
  if (std::system("/usr/bin/python3 -c 'import gemmi' >/dev/null 2>&1") != 0) return "skip";
  const std::string cmd = "cd '" + dir_.string() +
                          "' && /usr/bin/python3 -c \"import gemmi; st = gemmi.read_structure('" +
                          name + "'); print(len(st))\" >gemmi.out 2>gemmi.err";
  if (std::system(cmd.c_str()) != 0) return "gemmi failed: " + file("gemmi.err");
  *models = std::atol(file("gemmi.out").c_str());
  return "";
}

void ExeRun::expect_gemmi_models(const std::string& name, long want) const {
  long models = 0;
  const std::string g = gemmi_models(name, &models);
  if (g == "skip") {
    test::oracle_missing("gemmi not installed: the check of " + name + " is skipped");
    return;
  }
  EXPECT_EQ(g, "") << name;
  EXPECT_EQ(models, want) << name;
}

}  // namespace vask::test
