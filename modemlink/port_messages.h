#pragma once
// What the serial port says to the user when it cannot do its job (serial_port.h): opening,
// configuring and starting the reader, and a write while the device is not open.

inline constexpr char16_t kPortCannotOpen[] = u"无法打开端口或端口已打开!请检查是否已被占用.";
inline constexpr char16_t kPortCannotConfigure[] = u"无法按当前参数配置端口，请检查参数!";
inline constexpr char16_t kPortCannotSetTimeouts[] = u"无法设置超时参数!";
inline constexpr char16_t kPortThreadFailed[] = u"创建接收线程失败!";
inline constexpr char16_t kPortNotOpen[] = u"串口未打开!";
