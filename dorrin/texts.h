#pragma once
// Every text the dialer program shows of its own: the window's caption and labels, the toggles'
// captions, what the number box holds at the start, the messages after a failed command and the
// notices of a call that ended. The port's messages are the link's (modemlink/port_messages.h);
// the notices about a modem that went and came back are both windows' (window_common/link_watch.h).

// The window (dial_template.cpp).
inline constexpr char16_t kCaption[] = u"GPRS拔电话测试  www.example.com";
inline constexpr char16_t kNumberLabel[] = u"电话号码:";
inline constexpr char16_t kCallerLabel[] = u"来电号码:";
// The toggles, up and down.
inline constexpr char16_t kDialCaption[] = u"拨号";
inline constexpr char16_t kHangUpCaption[] = u"挂机";
inline constexpr char16_t kAnswerCaption[] = u"接听";
inline constexpr char16_t kEndCaption[] = u"挂断";

inline constexpr char16_t kDefaultNumber[] = u"13900000000";

inline constexpr char16_t kStartFailed[] = u"GPRS初始化失败,请检查是否安装正确.";
inline constexpr char16_t kEnterNumber[] = u"请输入拨号号码.";
inline constexpr char16_t kHangUpFailed[] = u"挂机失败.";
inline constexpr char16_t kAnswerFailed[] = u"接听失败.";
inline constexpr char16_t kEndFailed[] = u"挂断失败.";

// The notice in the box of a call that ended: the other side hung up, or a dialled call never
// connected.
inline constexpr char16_t kOtherPartyHungUp[] = u"对方已挂机.";
inline constexpr char16_t kBusy[] = u"对方忙.";
inline constexpr char16_t kNoAnswer[] = u"无人接听.";
inline constexpr char16_t kNoDialTone[] = u"无拨号音.";
