#pragma once
// The +CMS ERROR codes the message commands answer with.

namespace modemsim {

inline constexpr int kOperationNotSupported = 303;
inline constexpr int kInvalidPduParameter = 304;
inline constexpr int kInvalidTextParameter = 305;
inline constexpr int kInvalidIndex = 321;

}  // namespace modemsim
