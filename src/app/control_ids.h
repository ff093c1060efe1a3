#pragma once

// Controls of the main dialog (102) and the status dialog (131) that the logic touches.
namespace kestrix::app {

inline constexpr int CloseButtonId = 8;
inline constexpr int IspButtonId = 3;
inline constexpr int VerifyButtonId = 4;
inline constexpr int GetInfoButtonId = 5;
inline constexpr int UserIspInfoButtonId = 1010;
inline constexpr int DeviceNameBoxId = 1024;
inline constexpr int ReportAreaId = 1021;
inline constexpr int DriverSelectListId = 1027;
inline constexpr int DriverSelectLabelId = 1028;
inline constexpr int DeviceSelListId = 1030;
inline constexpr int IspEnaCheckBoxId = 1031;
inline constexpr int IspMsFwCheckBoxId = 1032;
inline constexpr int SelfDriverSelCheckBoxId = 1035;

inline constexpr int StatusLabelId = 1014;
inline constexpr int StatusLogAreaId = 1019;

// Caption of the error boxes owned by the main dialog.
inline constexpr const char* MessageDialogCaption = "Message Dialog";

}  // namespace kestrix::app
