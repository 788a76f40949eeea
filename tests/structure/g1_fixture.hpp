// Guanosine 1 of 1ehz (yeast tRNA-Phe), chain A: a complete nucleotide, the
// small fixture that the reader and residue tests edit line by line.
#pragma once

#include <cstring>

namespace vask::test {

inline const char* const G1 = R"(ATOM      1  OP3   G A   1      50.193  51.190  50.534  1.00 99.85           O
ATOM      2  P     G A   1      50.626  49.730  50.573  1.00100.19           P
ATOM      3  OP1   G A   1      49.854  48.893  49.562  1.00100.19           O
ATOM      4  OP2   G A   1      52.137  49.542  50.511  1.00 99.21           O
ATOM      5  O5'   G A   1      50.161  49.136  52.023  1.00 99.82           O
ATOM      6  C5'   G A   1      50.216  49.948  53.210  1.00 98.63           C
ATOM      7  C4'   G A   1      50.968  49.231  54.309  1.00 97.84           C
ATOM      8  O4'   G A   1      50.450  47.888  54.472  1.00 97.10           O
ATOM      9  C3'   G A   1      52.454  49.030  54.074  1.00 98.07           C
ATOM     10  O3'   G A   1      53.203  50.177  54.425  1.00 99.39           O
ATOM     11  C2'   G A   1      52.781  47.831  54.957  1.00 96.96           C
ATOM     12  O2'   G A   1      53.018  48.156  56.313  1.00 96.77           O
ATOM     13  C1'   G A   1      51.502  47.007  54.836  1.00 95.70           C
ATOM     14  N9    G A   1      51.628  45.992  53.798  1.00 93.67           N
ATOM     15  C8    G A   1      51.064  46.007  52.547  1.00 92.60           C
ATOM     16  N7    G A   1      51.379  44.966  51.831  1.00 91.19           N
ATOM     17  C5    G A   1      52.197  44.218  52.658  1.00 91.47           C
ATOM     18  C6    G A   1      52.848  42.992  52.425  1.00 90.68           C
ATOM     19  O6    G A   1      52.826  42.291  51.404  1.00 90.38           O
ATOM     20  N1    G A   1      53.588  42.588  53.534  1.00 90.71           N
ATOM     21  C2    G A   1      53.685  43.282  54.716  1.00 91.21           C
ATOM     22  N2    G A   1      54.452  42.733  55.671  1.00 91.23           N
ATOM     23  N3    G A   1      53.077  44.429  54.946  1.00 91.92           N
ATOM     24  C4    G A   1      52.356  44.836  53.879  1.00 92.62           C
)";

// The same without its OP3 line, as the residue tests take it.
inline const char* const G1_NO_OP3 = std::strchr(G1, '\n') + 1;

}  // namespace vask::test
