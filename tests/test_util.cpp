#include "support/error.hpp"
#include "support/log.hpp"
#include "test_util.hpp"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace vask::test {

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

std::string test_data(const std::string& name) { return std::string(VASK_TEST_DATA) + "/" + name; }

std::string test_data_unzipped(const std::string& name) {
  namespace fs = std::filesystem;
  const std::string plain = test_data(name);
  if (fs::exists(plain)) return plain;
  const std::string packed = plain + ".gz";
  if (!fs::exists(packed)) return {};
  static const fs::path dir = [] {
    std::string tmpl = (fs::temp_directory_path() / "vask-data-XXXXXX").string();
    return fs::path(mkdtemp(tmpl.data()) ? tmpl : fs::temp_directory_path().string());
  }();
  const std::string out = (dir / name).string();
  if (!fs::exists(out)) {
    const std::string cmd = "gzip -dc '" + packed + "' > '" + out + ".part' && mv '" + out + ".part' '" + out + "'";
    if (std::system(cmd.c_str()) != 0) return {};
  }
  return out;
}

std::string shared_structure(const std::string& name) {
  return std::string(VASK_SHARED_DATA) + "/structures/" + name;
}

}  // namespace vask::test
