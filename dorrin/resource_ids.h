#pragma once
// Resource and control ids of the dialer program.

#include <cstdint>

inline constexpr std::int32_t IDD_DIAL = 102;
inline constexpr std::int32_t IDI_APP = 128;

inline constexpr std::int32_t IDC_DIAL_NUMBER = 1000;
inline constexpr std::int32_t IDC_DIAL = 1002;
inline constexpr std::int32_t IDC_ANSWER = 1003;
inline constexpr std::int32_t IDC_CALLER = 1004;
