#include "support/error.hpp"
#include "support/log.hpp"
#include "test_util.hpp"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace vask::test {

namespace fs = std::filesystem;

std::string fatal_message(const std::function<void()>& f, int* status) {
  try {
    f();
  } catch (const fatal_error& e) {
    if (status) *status = e.status;
    return e.what();
  }
  return "<no fatal>";
}

log_capture::log_capture(bool program_log) : saved_run_(RUNLOG), saved_prg_(PRGLOG) {
  run_ = std::tmpfile();
  RUNLOG = run_;
  if (program_log) {
    prg_ = std::tmpfile();
    PRGLOG = prg_;
  }
}

log_capture::~log_capture() {
  RUNLOG = saved_run_;
  PRGLOG = saved_prg_;
  if (run_) std::fclose(run_);
  if (prg_) std::fclose(prg_);
}

std::string read_stream(FILE* fp) {
  if (fp == nullptr) return {};
  std::fflush(fp);
  long pos = std::ftell(fp);
  std::rewind(fp);
  std::string s;
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, fp)) > 0) s.append(buf, n);
  std::fseek(fp, pos, SEEK_SET);
  return s;
}

std::string log_capture::text() const { return read_stream(run_); }
std::string log_capture::prg_text() const { return read_stream(prg_); }

std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

std::string test_data(const std::string& name) {
  const fs::path plain = fs::path(VASK_TEST_DATA) / name;
  const fs::path packed = fs::path(VASK_TEST_DATA) / (name + ".gz");
  if (fs::exists(plain) || !fs::exists(packed)) return plain.string();
  const fs::path out = fs::path(VASK_TEST_DATA_UNPACKED) / name;
  if (fs::exists(out) && fs::last_write_time(out) >= fs::last_write_time(packed)) return out.string();
  // Test processes run in parallel: each unpacks into a file of its own and
  // renames it into place, so no reader sees a half-written copy.
  fs::create_directories(out.parent_path());
  const fs::path part = out.string() + ".part" + std::to_string(getpid());
  const std::string cmd = "gzip -dc '" + packed.string() + "' > '" + part.string() + "'";
  if (std::system(cmd.c_str()) != 0) {
    fs::remove(part);
    throw std::runtime_error("cannot unpack test data with: " + cmd);
  }
  fs::rename(part, out);
  return out.string();
}

std::string test_data_unzipped(const std::string& name) {
  const std::string path = test_data(name);
  return fs::exists(path) ? path : std::string();
}

void oracle_missing(const std::string& what) { GTEST_SKIP() << what; }

}  // namespace vask::test
