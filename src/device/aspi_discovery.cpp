#include "device/aspi_discovery.h"

#include <algorithm>
#include <string>

#include "core/app_state.h"
#include "device/aspi_messages.h"
#include "device/aspi_transport.h"
#include "device/device_table_ops.h"
#include "device/registry_keys.h"
#include "platform/aspi_layout.h"

namespace kestrix::device {

namespace {

// Targets asked on every host adapter.
constexpr std::uint8_t TargetsPerAdapter = 8;
// The device information of a matching device is read from this target of its adapter.
constexpr std::uint8_t InfoTarget = 0;

void ShowMessage(DeviceContext& context, const char* text) {
    context.host.window.MessageBox(text, core::ApplicationTitle, platform::MessageIcon::None);
}

void ReadDriveLetters(DeviceContext& context) {
    DeviceTable& table = context.state.table;
    const std::size_t devices = std::min<std::size_t>(table.deviceCount, DeviceTableCapacity);
    for (std::size_t o = 0; o < devices; ++o) {
        DeviceRecord& record = table.records[o];
        const std::size_t slots = std::min<std::size_t>(record.slotCount, MaxDriveLetters);
        for (std::size_t k = 0; k < slots; ++k) {
            const std::string key = AspiRegistryKey(record, static_cast<unsigned>(k));
            if (!key.empty()) record.driveLetters[k] = ReadDriveLetter(context, key);
        }
    }
}

// Scans every target of every adapter. False when a device information read failed (the
// message is shown then).
[[nodiscard]] bool ScanAdapters(DeviceContext& context, std::uint8_t adapters) {
    const aspi::InquiryIdentities identities{.fa = context.config.inquiryIdentityFa,
                                             .fb = context.config.inquiryIdentityFb};
    AspiState& state = context.state.aspi;
    for (unsigned h = 0; h < adapters; ++h) {
        const auto adapter = static_cast<std::uint8_t>(h);
        for (std::uint8_t target = 0; target < TargetsPerAdapter; ++target) {
            if (!aspi::Inquiry(context, adapter, target, identities)) continue;
            if (!aspi::ReadDeviceInfo(context, adapter, InfoTarget)) {
                ShowMessage(context, aspi::StatusErrorMessage);
                return false;
            }
            const auto placed = PlaceDevice(context, std::nullopt);
            if (placed && placed->isNew) {
                DeviceRecord& record = context.state.table.records[placed->index];
                record.aspiAdapter = state.matchAdapter;
                record.aspiTarget = state.matchTarget;
            }
        }
    }
    return true;
}

}  // namespace

std::uint8_t DiscoverAspi(DeviceContext& context, bool showMessages) {
    aspi::ClearAspiEntries(context.state.aspi);
    if (aspi::LoadAspi(context) != aspi::LoadSucceeded) {
        context.host.console.WriteStdout(aspi::LoadFailureLine);
        ShowMessage(context, aspi::NoAspiSupportMessage);
        aspi::UnloadAspi(context);
        return 1;
    }
    const std::uint32_t supportInfo = aspi::GetSupportInfo(context);
    if (!aspi::SupportInfoUsable(supportInfo)) {
        if (showMessages) ShowMessage(context, aspi::NoAspiSupportMessage);
        aspi::UnloadAspi(context);
        return 1;
    }

    DeviceTable& table = context.state.table;
    table.selectedIndex = 0;
    if (!ScanAdapters(context, platform::aspi::SupportAdapterCount(supportInfo))) {
        aspi::UnloadAspi(context);
        return 1;
    }
    ReadDriveLetters(context);
    table.selectedIndex = 0;
    aspi::UnloadAspi(context);
    return table.deviceCount > 0 ? 0 : 1;
}

}  // namespace kestrix::device
