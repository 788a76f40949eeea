// A reference frame: origin, three unit axes and the quaternion of their
// rotation; base, group and pair frames of a structure and the view settings
// are all of this one record.
#pragma once

#include <cfloat>
#include <string>

#include "support/vector3.hpp"

namespace vask {

// A reference frame: origin and three unit axes forming a right-handed set.
struct frame {
  int type = 0;           // 0 base, 1 phosphate, 2 sugar, 3 backbone, 4 sidechain,
                          // 5 aromatic, 9 bestpair, 10 Gtetrad
  long planar = 0;        // 1 for base, backbone and aromatic frames of a structure
  long residue = -1;      // owning residue, 1-based; -1 none
  std::string text;       // short label
  double rmsd = -1.0;     // fit RMSD; -1.0 unset
  xyz org{0, 0, 0, 0};    // origin, 1-based
  xyz x_axis{0, 1, 0, 0};
  xyz y_axis{0, 0, 1, 0};
  xyz z_axis{0, 0, 0, 1};
  xyz qtn{DBL_MAX, DBL_MAX, DBL_MAX, DBL_MAX};  // quaternion w, x, y, z; DBL_MAX unset
};

// Identity axes at the origin; the quaternion stays unset, so writers print it as missing.
inline void set_identity_frame(frame& f) { f = frame{}; }

}  // namespace vask
