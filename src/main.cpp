// belqo-vask: dissects the nucleic acids of a 3D structure.
#include "driver/belqo-vask.hpp"

int main(int argc, char* argv[]) { return vask::run_main(argc, argv); }
