#include "app/fault_report.h"

#include "base/text_keys.h"

namespace orv {

std::wstring_view FaultMessageFor(std::uint32_t code) {
  for (const FaultMessage& entry : kFaultMessages) {
    if (entry.code == code) return entry.text;
  }
  return kUnknownFaultMessage;
}

std::wstring FaultCodeText(std::uint32_t code) {
  return std::to_wstring(static_cast<std::int32_t>(code));
}

std::wstring FaultUnitName(std::int32_t location) {
  if (location == kNoLocation) return std::wstring(kNoLineInformation);
  const int unit = LocationUnit(location);
  const auto name = SourceUnitName(unit);
  // A unit number from a newer table than this one still tells support something.
  if (!name) return L"unit " + std::to_wstring(unit);
  return std::wstring(name->begin(), name->end());  // file names are plain ASCII
}

std::wstring BuildFaultReport(const FaultRecord& fault, const TextLookup& text) {
  std::wstring report;
  const auto add = [&report](std::wstring_view line) {
    report += line;
    report += L"\r\n";
  };
  const auto addPair = [&add](std::wstring_view first, std::wstring_view second) {
    add(std::wstring(first) + L'\t' + std::wstring(second));
  };
  add(text(TextKey::FaultHeadline));
  add({});
  add(text(TextKey::FaultSettingsLost));
  add({});
  add(text(TextKey::FaultSendTo));
  add(kSupportContactLine);
  add({});
  add(text(TextKey::FaultReportHeading));
  addPair(FaultMessageFor(fault.code), FaultCodeText(fault.code));
  addPair(text(TextKey::ProgramName), text(TextKey::VersionName));
  addPair(FaultUnitName(fault.location), std::to_wstring(LocationLine(fault.location)));
  add({});
  return report;
}

}  // namespace orv
