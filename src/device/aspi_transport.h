#pragma once

#include <cstdint>
#include <span>

#include "device/aspi_request.h"
#include "device/device_context.h"
#include "device/vendor_commands.h"

// The ASPI transport: loading the ASPI library at run time and sending the vendor commands
// as execute-SCSI requests to a host adapter and target. Every command waits for its
// completion by polling the done flag.
namespace kestrix::device::aspi {

inline constexpr const char* LibraryName = "WNASPI32";
inline constexpr const char* SupportInfoEntryName = "GetASPI32SupportInfo";
inline constexpr const char* SendCommandEntryName = "SendASPI32Command";

// Results of LoadAspi.
inline constexpr std::uint8_t LoadSucceeded = 0;
inline constexpr std::uint8_t LoadLibraryMissing = 1;
inline constexpr std::uint8_t LoadEntryMissing = 2;

// Polling intervals while a request is outstanding.
inline constexpr std::uint32_t IdentifyPollMs = 10;  // inquiry and device information
inline constexpr std::uint32_t IspPollMs = 100;      // the three ISP commands

// Forgets both entry points, so that the next LoadAspi loads the library afresh.
void ClearAspiEntries(AspiState& aspi);

// Loads the library and resolves both entry points. Returns at once with LoadSucceeded when
// both are resolved already. When an entry point is missing the library is freed again.
[[nodiscard]] std::uint8_t LoadAspi(DeviceContext& context);

// Frees the library (when loaded) and forgets the handle and both entry points.
void UnloadAspi(DeviceContext& context);

// Asks for the support information (byte 0 host adapters, byte 1 status) and keeps it in
// the ASPI state; 0 when the library is not loaded.
[[nodiscard]] std::uint32_t GetSupportInfo(DeviceContext& context);

// True when the support information names at least one host adapter and status completed.
[[nodiscard]] bool SupportInfoUsable(std::uint32_t supportInfo);

// Sends an inquiry to (adapter, target) and waits for it. True when it completed without
// error and its vendor and product match one of `identities`; the match flag, adapter and
// target are left in the ASPI state.
[[nodiscard]] bool Inquiry(DeviceContext& context, std::uint8_t adapter, std::uint8_t target,
                           const InquiryIdentities& identities);

// Reads the 528-byte device information into the information block and waits for it. True
// when it completed without error (the block receives the data bytes in any case).
[[nodiscard]] bool ReadDeviceInfo(DeviceContext& context, std::uint8_t adapter,
                                  std::uint8_t target);

// The ISP commands: true when the request completed without error.
[[nodiscard]] bool JumpToIsp(DeviceContext& context, std::uint8_t adapter, std::uint8_t target);

// Leaves data byte 0 in `status` and in the ASPI state's ISP status byte, also when the
// request completed with an error (the byte then means nothing).
[[nodiscard]] bool GetIspStatus(DeviceContext& context, std::uint8_t adapter, std::uint8_t target,
                                std::uint8_t& status);

// Sends the first `paddedLength` bytes of `image` as one firmware block of true length
// `length`, to program or to verify. False without sending when the
// padded length exceeds the image or one block, or when its buffer cannot be allocated.
[[nodiscard]] bool WriteIspBlock(DeviceContext& context, std::uint8_t adapter, std::uint8_t target,
                                 std::span<const std::uint8_t> image, std::uint32_t length,
                                 std::uint32_t paddedLength, IspWriteMode mode);

}  // namespace kestrix::device::aspi
