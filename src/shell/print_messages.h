#pragma once
// The texts a chart or a report shows when its printing fails, written once
// for both.
namespace tellora {

inline constexpr const char* CheckPrinterMessage = "Check Your Printer and Try Again";
// The same message as two of the chart windows word it.
inline constexpr const char* CheckPrinterLowerCaseMessage = "Check Your Printer and try again";

} // namespace tellora
