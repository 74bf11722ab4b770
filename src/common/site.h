#pragma once
// The maker's web address, shown on the main window's bottom line, opened by help and
// named in the About box. A reserved .example host: nothing real is advertised.

namespace sorvane {

inline constexpr const char* kMakerAddress = "http://www.sorvane.example/";

}  // namespace sorvane
