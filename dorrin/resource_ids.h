#pragma once
// Resource and control ids of the dialer program.

#include <cstdint>

inline constexpr std::int32_t IDD_DIAL = 102;
inline constexpr std::int32_t IDI_APP = 128;

inline constexpr std::int32_t IDC_DIAL_NUMBER = 1000;
inline constexpr std::int32_t IDC_DIAL = 1002;
inline constexpr std::int32_t IDC_ANSWER = 1003;
inline constexpr std::int32_t IDC_CALLER = 1004;

// The window's own timer and message.
inline constexpr std::uintptr_t ID_NOTICE_TIMER = 1;
inline constexpr std::uintptr_t ID_RECONNECT_TIMER = 2;  // while the modem's device is gone
inline constexpr std::uintptr_t ID_SETUP_TIMER = 3;      // while the module refuses its set-up
inline constexpr std::int32_t WM_CALL_EVENT = 0x8001;    // a call event waits in the dialog's queue
