#pragma once
// Every text the message program shows of its own: the window's caption and labels, what its
// boxes hold at the start, the message after each command, and the mark of a missing part. The
// port's messages are the link's (modemlink/port_messages.h); the notices about a modem that went
// and came back are both windows' (window_common/link_watch.h).

// The window (sms_template.cpp).
inline constexpr char16_t kCaption[] = u"GPRS收发短信测试  www.example.com";
inline constexpr char16_t kSendLabel[] = u"发送短信";  // the send button, and the group around it
inline constexpr char16_t kReceiveLabel[] = u"接收短信";
inline constexpr char16_t kNumberLabel[] = u"电话:";
inline constexpr char16_t kTextLabel[] = u"短信内容:";  // beside the text to send and the received
inline constexpr char16_t kFromLabel[] = u"来自:";
inline constexpr char16_t kCentreLabel[] = u"短信中心号码:";
inline constexpr char16_t kSetCentreLabel[] = u"设置";

// The boxes at the start.
inline constexpr char16_t kDefaultNumber[] = u"13900000000";
inline constexpr char16_t kDefaultText[] = u"www.example.com";
inline constexpr char16_t kDefaultCentre[] = u"+8613800200500";

inline constexpr char16_t kStartFailed[] = u"GPRS初始化失败, 请检查是否安装正确.";
inline constexpr char16_t kEmptyInput[] = u"电话号码或短信内容不能为空.";
inline constexpr char16_t kSent[] = u"短信发送成功.";
inline constexpr char16_t kNotSent[] = u"短信发送失败.";
inline constexpr char16_t kTooLong[] =
    u"短信太长, 未发送: 一条短信最多160个字符, 含中文或其他特殊字符时最多70个.";
inline constexpr char16_t kCentreSet[] = u"设置短信中心号码成功.";
inline constexpr char16_t kCentreNotSet[] = u"设置短信中心号码失败.";

// Where a part of a long message stands that never came (part_assembler.h).
inline constexpr char16_t kMissingPartMark[] = u"[…]";
