// belqo-vask: dissects the nucleic acids of a 3D structure.
#include "driver/belqo-vask.hpp"
#include "support/memory.hpp"

int main(int argc, char* argv[]) {
  vask::prefer_huge_pages();
  return vask::run_main(argc, argv);
}
