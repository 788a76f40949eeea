// Program entry and per-structure pipeline.
#pragma once

namespace vask {

// The whole program behind main(): parses argv, runs, and returns the exit
// status. The only place that catches fatal_error; it writes the message to the
// run log and runs the exit handler.
int run_main(int argc, char* argv[]);

// The program proper; throws fatal_error on every early end.
int vask_main(int argc, char* argv[]);

}  // namespace vask
