#pragma once

#include <cstdint>

// Values of the Win32 calls behind the seam, as the logic passes and receives them.
namespace kestrix::platform {

// A kernel object handle. 0 means "none"; CreateFileA reports failure with InvalidHandleValue.
using Handle = std::uint32_t;
inline constexpr Handle InvalidHandleValue = 0xFFFFFFFFu;

inline constexpr std::uint32_t GenericRead = 0x80000000u;
inline constexpr std::uint32_t GenericWrite = 0x40000000u;
inline constexpr std::uint32_t FileShareRead = 0x00000001u;
inline constexpr std::uint32_t FileShareWrite = 0x00000002u;
inline constexpr std::uint32_t OpenExisting = 3;
inline constexpr std::uint32_t FileFlagDeleteOnClose = 0x04000000u;

// Registry.
using RegKey = std::uint32_t;
inline constexpr RegKey HkeyLocalMachine = 0x80000002u;
inline constexpr std::uint32_t KeyAllAccess = 0x000F003Fu;
inline constexpr std::int32_t ErrorSuccess = 0;
inline constexpr std::int32_t ErrorFileNotFound = 2;
inline constexpr std::int32_t ErrorInvalidHandle = 6;
inline constexpr std::int32_t ErrorMoreData = 234;

// Loaded modules and their entry points; 0 means "not loaded" / "not found".
using ModuleHandle = std::uint32_t;
using ProcAddress = std::uint32_t;

}  // namespace kestrix::platform
