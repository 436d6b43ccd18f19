#pragma once
// Resource and control ids of the message program.

#include <cstdint>

inline constexpr std::int32_t IDD_SMS = 102;
inline constexpr std::int32_t IDI_APP = 128;

inline constexpr std::int32_t IDC_SEND = 1005;
inline constexpr std::int32_t IDC_NUMBER = 1009;
inline constexpr std::int32_t IDC_TEXT = 1010;
inline constexpr std::int32_t IDC_FROM = 1012;
inline constexpr std::int32_t IDC_RECEIVED = 1013;
inline constexpr std::int32_t IDC_CENTRE = 1014;
inline constexpr std::int32_t IDC_SET_CENTRE = 1015;

inline constexpr std::uintptr_t ID_POLL_TIMER = 1;
inline constexpr std::uintptr_t ID_RECONNECT_TIMER = 2;  // while the modem's device is gone
inline constexpr std::uintptr_t ID_SETUP_TIMER = 3;      // while the module refuses its set-up
inline constexpr std::int32_t WM_MODEM_LOST = 0x8002;    // the channel found the device gone
// +CMTI or +CMT: read or show it now; a readiness or reset line: set the module up again.
inline constexpr std::int32_t WM_MESSAGE_REPORT = 0x8003;
