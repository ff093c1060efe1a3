#pragma once

// The texts the ASPI discovery and re-identification show.
namespace kestrix::device::aspi {

inline constexpr const char* LoadFailureLine = "Load WNASPI32.DLL or Get Function Address Fail \n";
inline constexpr const char* NoAspiSupportMessage =
    " No ASPI for WIN32 support detected.\n This program need ASPI in WinMe system.";
inline constexpr const char* StatusErrorMessage = "Windows ASPI status Error";

}  // namespace kestrix::device::aspi
