// The global settings record Gvars and the constant tables Gconsts.
//
// This is the one header every folder may include. Fields are filled with
// their defaults by set_globals(), written by the option parsers and read
// everywhere else.
#pragma once

#include <ctime>
#include <string>

namespace vask {

struct gvars_rec {
  // run identity and state
  long start_clock = 0;          // clock() at start
  long model_clock = 0;          // clock mark for ensemble JSON
  std::string start_timestamp;   // ctime text, newline removed
  std::string model_timestamp;
  std::string program_path;      // argv[0] as given
  std::string program_name;      // base name, no extension, lower-cased
  std::string runlog_name = "stderr";
  std::string prglog_name;       // empty: no program log
  long time_report = 1;          // print "Time used" and the JSON time
  long test = 0;                 // test/debug switch
  long experimental = 0;
};

extern gvars_rec Gvars;

}  // namespace vask
