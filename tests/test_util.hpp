// Helpers shared by the tests.
#pragma once

#include <cstdio>
#include <functional>
#include <string>

namespace vask::test {

// Runs f and returns the message of the fatal_error it throws; fails the test
// (returns "<no fatal>") when it returns normally.
std::string fatal_message(const std::function<void()>& f, int* status = nullptr);

// Redirects RUNLOG (and optionally PRGLOG) to a temporary file for the lifetime
// of the object; text() returns what was written so far.
class log_capture {
 public:
  explicit log_capture(bool program_log = false);
  ~log_capture();
  log_capture(const log_capture&) = delete;
  log_capture& operator=(const log_capture&) = delete;
  std::string text() const;      // run log
  std::string prg_text() const;  // program log
 private:
  FILE* run_ = nullptr;
  FILE* prg_ = nullptr;
  FILE* saved_run_ = nullptr;
  FILE* saved_prg_ = nullptr;
};

std::string read_stream(FILE* fp);         // whole content of a stream from its start
std::string read_file(const std::string& path);
// Path of tests/data/<name>. A file stored there gzip-compressed as <name>.gz
// is unpacked once into the build tree and that copy's path returned.
std::string test_data(const std::string& name);
// The same path, or "" when neither <name> nor <name>.gz is there.
std::string test_data_unzipped(const std::string& name);

// Marks the running test skipped because the tool a check compares with is
// missing, and lets the test go on: its other checks still run, and a failure
// outranks the skip in the summary.
void oracle_missing(const std::string& what);

}  // namespace vask::test
