// TEMPORARY: declarations of support routines not yet on main (removed on merge).
#pragma once
#include <cstdio>
#include <string>
#include <vector>
#include "support/common.hpp"
namespace vask {
double QCProt_ls_fitting(const std::vector<xyz>& moving, const std::vector<xyz>& target, long n,
                         std::vector<xyz>* fitted, xyz* origin, rotmat* rot);
inline double ls_fitting(const std::vector<xyz>& moving, const std::vector<xyz>& target, long n,
                         std::vector<xyz>* fitted, xyz* origin, rotmat* rot) {
  return QCProt_ls_fitting(moving, target, n, fitted, origin, rot);
}
double get_planarity(long n, const std::vector<xyz>& pts);
}  // namespace vask
