#include "render/place.hpp"

namespace diaset {

Shift letter_shift;

} // namespace diaset
