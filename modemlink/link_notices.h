#pragma once
// What both windows say when their modem's device goes away (a USB modem that resets drops off
// the bus for a second or two) and when it is back, and how often they look for it meanwhile.

#include <cstdint>

inline constexpr char16_t kModemLostNotice[] = u"调制解调器已断开, 正在等待重新连接.";
inline constexpr char16_t kModemBackNotice[] = u"调制解调器已重新连接.";
// Twice a second: the device is back in use well within a second of reappearing, and a look
// that finds nothing costs one failed open.
inline constexpr std::uint32_t kReconnectCheckMs = 500;
