#pragma once

#include <array>
#include <cstddef>
#include <string_view>

// The keys of DEVICE.TXT with the longest value each accepts, in the order they are read.
namespace kestrix::image {

struct DeviceTxtKey {
    std::string_view name;
    std::size_t maxLength;
};

inline constexpr DeviceTxtKey KeyVid{"VID", 4};
inline constexpr DeviceTxtKey KeyPid{"PID", 4};
inline constexpr DeviceTxtKey KeyStringManufacture{"String_Manufacture", 24};
inline constexpr DeviceTxtKey KeyStringProduct{"String_Product", 24};
inline constexpr DeviceTxtKey KeyStrSerial{"KV~@$^_Str_Serial", 12};
inline constexpr DeviceTxtKey KeyInquiryManufacture{"Inquiry_Manufacture", 8};
inline constexpr DeviceTxtKey KeyInquiryProduct{"Inquiry_Product", 16};
inline constexpr DeviceTxtKey KeyInquiryVersion{"Inquiry_Version", 4};
inline constexpr DeviceTxtKey KeyIspRomCode{"ISP_ROMCODE", 12};
inline constexpr DeviceTxtKey KeyMsIspRomCode{"MS_ISP_ROMCODE", 12};
inline constexpr DeviceTxtKey KeyBmpMapFile{"BmpMap_file", 12};
inline constexpr DeviceTxtKey KeyFaInquiryManufacture{"FA_Inquiry_Manufacture", 8};
inline constexpr DeviceTxtKey KeyFaInquiryProduct{"FA_Inquiry_Product", 16};
inline constexpr DeviceTxtKey KeyFaInquiryVersion{"FA_Inquiry_Version", 4};
inline constexpr DeviceTxtKey KeyFbInquiryManufacture{"FB_Inquiry_Manufacture", 8};
inline constexpr DeviceTxtKey KeyFbInquiryProduct{"FB_Inquiry_Product", 16};
inline constexpr DeviceTxtKey KeyFbInquiryVersion{"FB_Inquiry_Version", 4};
inline constexpr DeviceTxtKey KeyDeviceSetting{"Device_setting", 256};
inline constexpr DeviceTxtKey KeyRomSetting{"ROM_setting", 256};

inline constexpr std::array<DeviceTxtKey, 19> DeviceTxtKeys{
    KeyVid,
    KeyPid,
    KeyStringManufacture,
    KeyStringProduct,
    KeyStrSerial,
    KeyInquiryManufacture,
    KeyInquiryProduct,
    KeyInquiryVersion,
    KeyIspRomCode,
    KeyMsIspRomCode,
    KeyBmpMapFile,
    KeyFaInquiryManufacture,
    KeyFaInquiryProduct,
    KeyFaInquiryVersion,
    KeyFbInquiryManufacture,
    KeyFbInquiryProduct,
    KeyFbInquiryVersion,
    KeyDeviceSetting,
    KeyRomSetting,
};

}  // namespace kestrix::image
