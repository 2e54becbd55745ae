#pragma once
#include <array>

namespace shell {

// The fourteen meter quantities an output of a TIKA module can follow, in the order the module
// numbers them: the wire value of a function is its position in this list.
inline constexpr std::array<const char*, 14> kOutputFunctions{
    "Import High", "Import Low", "Export High", "Export Low", "Gas", "Water", "+Ri", "+Rc", "-Ri", "-Rc",
    "Import High + Low", "Export High + Low", "Import Power >", "Export Power >"};

} // namespace shell
