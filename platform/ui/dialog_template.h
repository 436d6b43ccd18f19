#pragma once
// Dialog templates as data: the window and its controls in dialog units, the way a resource
// compiler lays them out. The layer renders a template with Qt (dialog.cpp); programs only
// declare them.
//
// Dialog units scale with the template's font: one horizontal unit is a quarter of the font's
// average character width, one vertical unit an eighth of its height.

#include <cstdint>
#include <string>
#include <vector>

namespace platform::ui {

// Control ids: 65535 names no control (labels, group boxes).
inline constexpr std::int32_t kNoControlId = 65535;

// Dialog results.
inline constexpr std::int32_t IDOK = 1;
inline constexpr std::int32_t IDCANCEL = 2;

// Window style bits that the layer honours (the rest is kept in the data and ignored).
namespace style {
inline constexpr std::uint32_t kPopup = 0x80000000;
inline constexpr std::uint32_t kChild = 0x40000000;
inline constexpr std::uint32_t kVisible = 0x10000000;
inline constexpr std::uint32_t kDisabled = 0x08000000;
inline constexpr std::uint32_t kCaption = 0x00C00000;
inline constexpr std::uint32_t kBorder = 0x00800000;
inline constexpr std::uint32_t kVScroll = 0x00200000;
inline constexpr std::uint32_t kHScroll = 0x00100000;
inline constexpr std::uint32_t kSysMenu = 0x00080000;
inline constexpr std::uint32_t kGroup = 0x00020000;
inline constexpr std::uint32_t kTabStop = 0x00010000;
// Dialog styles.
inline constexpr std::uint32_t kModalFrame = 0x0080;
inline constexpr std::uint32_t kSetFont = 0x0040;
// Extended styles.
inline constexpr std::uint32_t kExCaptionOkButton = 0x80000000;
inline constexpr std::uint32_t kExAppWindow = 0x00040000;
// Buttons: the low four bits are the button type.
inline constexpr std::uint32_t kButtonTypeMask = 0x000F;
inline constexpr std::uint32_t kPushButton = 0x0000;
inline constexpr std::uint32_t kCheckBox = 0x0002;
inline constexpr std::uint32_t kAutoCheckBox = 0x0003;
inline constexpr std::uint32_t kGroupBox = 0x0007;
inline constexpr std::uint32_t kPushLike = 0x1000;
// Edit boxes.
inline constexpr std::uint32_t kEditMultiLine = 0x0004;
inline constexpr std::uint32_t kEditAutoHScroll = 0x0080;
inline constexpr std::uint32_t kEditReadOnly = 0x0800;
// Static texts: the low bits are the alignment.
inline constexpr std::uint32_t kStaticAlignMask = 0x0003;
inline constexpr std::uint32_t kStaticLeft = 0x0000;
inline constexpr std::uint32_t kStaticCenter = 0x0001;
inline constexpr std::uint32_t kStaticRight = 0x0002;

// The words the programs' templates are made of.
inline constexpr std::uint32_t kMainDialog =
    kPopup | kVisible | kCaption | kSysMenu | kModalFrame | kSetFont;
inline constexpr std::uint32_t kMainDialogEx = kExCaptionOkButton | kExAppWindow;
inline constexpr std::uint32_t kChildControl = kChild | kVisible;
inline constexpr std::uint32_t kPushButtonControl = kChildControl | kTabStop | kPushButton;
inline constexpr std::uint32_t kToggleControl =
    kChildControl | kTabStop | kPushLike | kAutoCheckBox;
inline constexpr std::uint32_t kGroupBoxControl = kChildControl | kGroupBox;
inline constexpr std::uint32_t kLabelControl = kChildControl | kGroup | kStaticLeft;
inline constexpr std::uint32_t kLineEditControl =
    kChildControl | kBorder | kTabStop | kEditAutoHScroll;
inline constexpr std::uint32_t kMultiLineEditControl =
    kChildControl | kBorder | kVScroll | kTabStop | kEditMultiLine;
}  // namespace style

// The window class of a control; its style bits pick the variant (group box, toggle, multi-line).
enum class ControlKind { kButton, kEdit, kStatic };

struct DialogUnitRect {
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
};

struct ControlTemplate {
    std::int32_t id = kNoControlId;
    ControlKind kind = ControlKind::kStatic;
    std::u16string text;
    DialogUnitRect rect;
    std::uint32_t style = 0;
};

struct DialogTemplate {
    std::int32_t id = 0;
    DialogUnitRect rect;  // the client area
    std::u16string fontName;
    std::int32_t fontPointSize = 8;
    std::uint32_t style = 0;
    std::uint32_t exStyle = 0;
    std::u16string caption;
    std::vector<ControlTemplate> controls;  // template order, which is also the tab order
};

}  // namespace platform::ui
