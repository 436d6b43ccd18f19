#pragma once
// A dialog's message map: which member handles a button click (by control id), a timer, or a
// message posted to the window (CDialog::PostMessage).
// Each dialog class returns one static table from GetMessageMap():
//
//     static const platform::ui::MessageMap map = {
//         platform::ui::OnClicked<&CSmsDlg::OnSendClicked>(IDC_SEND),
//         platform::ui::OnTimer<&CSmsDlg::OnPollTimer>(),
//     };
//
// The first entry that matches a message handles it; an unmatched message gets the framework's
// default handling.

#include <cstdint>
#include <vector>

class CDialog;

namespace platform::ui {

enum class MessageKind { kButtonClicked, kTimer, kPosted };

inline constexpr std::int32_t kAnyId = -1;

struct MessageMapEntry {
    MessageKind kind;
    std::int32_t id;  // control id of a click, timer id, or kAnyId
    void (*invoke)(CDialog& dialog, std::uintptr_t param);
};

using MessageMap = std::vector<MessageMapEntry>;

namespace detail {
template <class Member>
struct HandlerClass;
template <class C>
struct HandlerClass<void (C::*)()> {
    using Type = C;
};
template <class C>
struct HandlerClass<void (C::*)(std::uintptr_t)> {
    using Type = C;
};
}  // namespace detail

// void Dialog::Handler(): a click on the control.
template <auto Handler>
MessageMapEntry OnClicked(std::int32_t controlId) {
    using Dialog = typename detail::HandlerClass<decltype(Handler)>::Type;
    return {MessageKind::kButtonClicked, controlId,
            [](CDialog& dialog, std::uintptr_t) { (static_cast<Dialog&>(dialog).*Handler)(); }};
}

// void Dialog::Handler(std::uintptr_t timerId): every timer of the window, or the one given.
template <auto Handler>
MessageMapEntry OnTimer(std::int32_t timerId = kAnyId) {
    using Dialog = typename detail::HandlerClass<decltype(Handler)>::Type;
    return {MessageKind::kTimer, timerId, [](CDialog& dialog, std::uintptr_t id) {
                (static_cast<Dialog&>(dialog).*Handler)(id);
            }};
}

// void Dialog::Handler(): a message posted with that id.
template <auto Handler>
MessageMapEntry OnMessage(std::int32_t messageId) {
    using Dialog = typename detail::HandlerClass<decltype(Handler)>::Type;
    return {MessageKind::kPosted, messageId,
            [](CDialog& dialog, std::uintptr_t) { (static_cast<Dialog&>(dialog).*Handler)(); }};
}

}  // namespace platform::ui
