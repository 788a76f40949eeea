// Helpers of the schematic tests: runs of the executable in a fresh folder
// (the model-run fixture) with stub programs first on PATH, and text probes.
#pragma once

#include <sys/stat.h>

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "modeling/model_run.hpp"

namespace vask::test {

class SchematicRun : public ModelRun {
 protected:
  // A stub program in <dir>/bin that appends its name and arguments (each in
  // brackets) as one line to <dir>/calls.txt, then runs the shell body.
  void stub(const std::string& name, const std::string& body) {
    std::filesystem::create_directories(dir_ / "bin");
    const std::string file = (dir_ / "bin" / name).string(), calls = path("calls.txt");
    std::ofstream(file) << "#!/bin/sh\nprintf '%s' '" << name << "' >> '" << calls
                        << "'\nfor a in \"$@\"; do printf ' [%s]' \"$a\" >> '" << calls
                        << "'; done\necho >> '" << calls << "'\n" << body << "\n";
    chmod(file.c_str(), 0755);
  }

  // run() with <dir>/bin first on PATH, or with path_only as the whole PATH.
  exe_result run_with_stubs(const std::string& args, bool path_only = false) {
    const std::string saved = std::getenv("PATH") ? std::getenv("PATH") : "";
    const std::string stubs = path("bin") + (path_only ? "" : ":" + saved);
    setenv("PATH", stubs.c_str(), 1);
    exe_result r = run(args);
    setenv("PATH", saved.c_str(), 1);
    return r;
  }
};

inline bool has_text(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// True when a program of that name is on PATH.
inline bool have_program(const std::string& name) {
  return std::system(("command -v '" + name + "' >/dev/null 2>&1").c_str()) == 0;
}

inline std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) out.push_back(line);
  return out;
}

}  // namespace vask::test
