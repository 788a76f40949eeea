// The built-in fiber repeat units: 142 units kept as text (data/fiber-units,
// compiled into the program), each a run of ATOM lines whose coordinate
// columns hold the height along the helix axis, the radius from it and the
// azimuth about it (Angstrom, Angstrom, degrees) instead of x, y and z.
//
// Units are keyed by model id and a key: a base letter (per-base models),
// "S1" or "S2" (duplexes of two strand units), or a base letter and the
// strand position 1, 2 or 3 (triplexes).
#pragma once

#include <string_view>
#include <vector>

#include "structure/atom.hpp"

namespace vask {

// Fills atoms[1..N] with the unit's lines in order (x, y, z holding height,
// radius and azimuth) and returns N. A key the model does not hold is a
// broken invariant.
long read_fiber_unit(long model, std::string_view key, std::vector<atom>& atoms);

// 1 when the model has units in the built-in text.
bool fiber_units_present(long model);

// The unit text as compiled in (defined in the generated source).
extern const char* const kFiberUnitsText;

}  // namespace vask
