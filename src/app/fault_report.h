// The text of the fatal-error report: what went wrong (the exception code and its message),
// which version, and where (source unit and line). The fault filter shows it and may copy it.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/fault_location.h"
#include "base/text_table.h"

namespace orv {

struct FaultRecord {
  std::uint32_t code = 0;               // the system's exception code
  std::int32_t location = kNoLocation;  // current location at the moment of the fault
};

struct FaultMessage {
  std::uint32_t code;
  std::wstring_view text;
};

// Searched in this order; the wording is part of reports users send in, keep it as it is.
inline constexpr std::array<FaultMessage, 20> kFaultMessages = {{
    {0xC0000005, L"Invalid memory access"},
    {0xC000008C, L"Array bounds exceeded"},
    {0x80000003, L"Debugger breakpoint reached"},
    {0x80000002, L"Misaligned data access"},
    {0xC000008D, L"Denormal floating-point operand"},
    {0xC000008E, L"Division by zero (floating-point)"},
    {0xC000008F, L"Inexact floating-point result"},
    {0xC0000090, L"Invalid floating-point operation"},
    {0xC0000091, L"Floating-point overflow (exponent to great)"},
    {0xC0000092, L"Floating-point stack overflow or underflow"},
    {0xC0000093, L"Floating-point underflow (exponent too small)"},
    {0xC000001D, L"Illegal instruction"},
    {0xC0000006, L"Memory page error"},
    {0xC0000094, L"Division by zero "},
    {0xC0000095, L"Integer overflow"},
    {0xC0000026, L"Exception handler returned unknown value"},
    {0xC0000025, L"Exception handler tried to continue after non-continuable exception"},
    {0xC0000096, L"Privileged instruction"},
    {0x80000004, L"Single step trap"},
    {0xC00000FD, L"Stack overflow"},
}};

inline constexpr std::wstring_view kUnknownFaultMessage = L"Unknown error code";
inline constexpr std::wstring_view kSupportContactLine =
    L"The Orvanta developers, support@orvanta.example";
inline constexpr std::wstring_view kNoLineInformation = L"No line information available";

// The message of an exception code, or "Unknown error code".
std::wstring_view FaultMessageFor(std::uint32_t code);

// The code as a signed 32-bit decimal number: C0000005 hex is -1073741819.
std::wstring FaultCodeText(std::uint32_t code);

// The unit's file name, or the no-line-information notice when no location is recorded.
std::wstring FaultUnitName(std::int32_t location);

// The report, every line ending in CR LF, without the question that follows it in the box.
std::wstring BuildFaultReport(const FaultRecord& fault, const TextLookup& text);

}  // namespace orv
