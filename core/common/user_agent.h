#pragma once

// Sent with every HTTP request of the program.
inline constexpr const char* sUserAgent = "Tarrowind Connect Client/1.0";
