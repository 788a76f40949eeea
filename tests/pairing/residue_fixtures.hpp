// Small hand-built residues for the pairing tests, as PDB text.
#pragma once

#include <cstdio>
#include <string>

namespace vask::test {

// cols 1-6 record | 7-11 serial | 13-16 name | 18-20 residue | 22 chain | 23-26 number
//      31-54 x, y, z | 55-60 occupancy | 61-66 B | 77-78 element
inline std::string pdb_line(const char* record, long serial, const char* name, const char* res, long num,
                            double x, double y, double z, const char* element) {
  char line[100];
  std::snprintf(line, sizeof line, "%-6s%5ld %-4s %3s A%4ld    %8.3f%8.3f%8.3f  1.00  0.00          %2s\n",
                record, serial, name, res, num, x, y, z, element);
  return line;
}

// A guanine base (ideal geometry) with its C1', flat at height z, moved by dx along x.
inline std::string guanine(long num, long first_serial, double z, double dx = 0) {
  struct { const char* name; double x, y; const char* el; } atoms[] = {
      {"C1'", -2.479, 5.346, "C"}, {"N9", -1.291, 4.498, "N"},  {"C8", 0.024, 4.897, "C"},
      {"N7", 0.877, 3.902, "N"},   {"C5", 0.071, 2.771, "C"},   {"C6", 0.369, 1.398, "C"},
      {"O6", 1.611, 0.909, "O"},   {"N1", -0.668, 0.532, "N"},  {"C2", -1.957, 0.964, "C"},
      {"N2", -2.916, 0.007, "N"},  {"N3", -2.263, 2.239, "N"},  {"C4", -1.255, 3.124, "C"}};
  std::string text;
  long serial = first_serial;
  for (const auto& a : atoms) text += pdb_line("ATOM", serial++, a.name, "  G", num, a.x + dx, a.y, z, a.el);
  return text;
}

// Tyrosine whose side-chain ring lies flat at height z, centred at (0, 1.4).
inline std::string tyrosine(long num, long first_serial, double z) {
  struct { const char* name; double x, y, z; const char* el; } atoms[] = {
      {"N", 0.0, -4.0, 1.2, "N"},   {"CA", 0.0, -3.0, 0.0, "C"}, {"C", 1.2, -3.2, -0.9, "C"},
      {"O", 1.3, -4.2, -1.6, "O"},  {"CB", 0.0, -1.5, 0.0, "C"}, {"CG", 0.0, -0.0, 0.0, "C"},
      {"CD1", 1.2, 0.7, 0.0, "C"},  {"CD2", -1.2, 0.7, 0.0, "C"}, {"CE1", 1.2, 2.1, 0.0, "C"},
      {"CE2", -1.2, 2.1, 0.0, "C"}, {"CZ", 0.0, 2.8, 0.0, "C"},  {"OH", 0.0, 4.2, 0.0, "O"}};
  std::string text;
  long serial = first_serial;
  for (const auto& a : atoms) text += pdb_line("ATOM", serial++, a.name, "TYR", num, a.x, a.y, a.z + z, a.el);
  return text;
}

}  // namespace vask::test
