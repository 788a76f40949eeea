// Settings record defaults and the common option parser.
#include "driver/option.hpp"

namespace vask {

gvars_rec Gvars;

}  // namespace vask
