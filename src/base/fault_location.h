// Where the program is, for the fatal-error report: one process-wide 32-bit value holding the
// source unit (top 8 bits) and the line (low 24 bits), -1 when nothing is recorded. The Win32
// code marks it with ORV_TRACE_LOCATION() at every step the event loop runs and before the calls
// that work on the program's pictures, files, printers, windows and dialogs, so that a report
// names the part that faulted; a mark is a single store of a compile-time constant.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <optional>
#include <string_view>

namespace orv {

inline constexpr std::int32_t kNoLocation = -1;

// Source units that mark locations, by file name. Unit 0 is the main unit. A file that uses
// ORV_TRACE_LOCATION() must be listed here, or it does not compile; new files go at the end so
// that reports from earlier versions keep their meaning.
inline constexpr std::array<std::string_view, 26> kSourceUnits = {
    "main_win.cpp",           // 0
    "startup_win.cpp",        // 1
    "event_loop_win.cpp",     // 2
    "tray_win.cpp",           // 3
    "keyboard_hook_win.cpp",  // 4
    "screen_grab_win.cpp",    // 5
    "fault_report_win.cpp",   // 6
    "preferences_win.cpp",    // 7
    "autostart_win.cpp",      // 8
    "system.cpp",             // 9 (src/win)
    "print_win.cpp",          // 10
    "help_commands_win.cpp",  // 11
    "shell.cpp",              // 12 (src/win)
    "about_window_win.cpp",   // 13
    "export_win.cpp",         // 14
    "gdiplus_win.cpp",        // 15
    "clipboard_win.cpp",      // 16
    "paint_win.cpp",          // 17

    "selection_overlay_win.cpp",  // 18
    "",                           // 19, retired: its code went to unit 18
    "button_window_win.cpp",      // 20
    "preview_window_win.cpp",     // 21
    "dib_transforms.cpp",         // 22 (src/win)
    "capture_review_win.cpp",     // 23
    "temporary_images_win.cpp",   // 24
    "drag_out.cpp",               // 25 (src/win)
};
// Units above 127 would make a location negative and could collide with kNoLocation.
static_assert(kSourceUnits.size() <= 128);

// The file name part of a path, after the last slash or backslash.
constexpr std::string_view FileNamePart(std::string_view path) {
  const auto slash = path.find_last_of("/\\");
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

// The location value of a line in a source file; compile time only.
consteval std::int32_t LocationOf(std::string_view file, int line) {
  const std::string_view name = FileNamePart(file);
  for (std::size_t unit = 0; unit < kSourceUnits.size(); ++unit) {
    if (kSourceUnits[unit] == name) {
      if (line < 0 || line > 0xFFFFFF) throw "line number does not fit in 24 bits";
      return static_cast<std::int32_t>((static_cast<std::uint32_t>(unit) << 24) |
                                       static_cast<std::uint32_t>(line));
    }
  }
  throw "source file is missing from kSourceUnits";
}

constexpr int LocationUnit(std::int32_t location) {
  return static_cast<int>(static_cast<std::uint32_t>(location) >> 24);
}

// The line of a location, -1 for kNoLocation.
constexpr int LocationLine(std::int32_t location) {
  return location == kNoLocation ? -1 : static_cast<int>(location & 0xFFFFFF);
}

// The file name of a unit, or nothing for an index outside the table.
constexpr std::optional<std::string_view> SourceUnitName(int unit) {
  if (unit < 0 || static_cast<std::size_t>(unit) >= kSourceUnits.size()) return std::nullopt;
  return kSourceUnits[static_cast<std::size_t>(unit)];
}

// Process-wide, as the fault filter that reads it is called with no context of ours. Written by
// the marks and read by the filter on the same thread; relaxed atomic stores compile to one
// plain move.
inline std::atomic<std::int32_t> currentFaultLocation{kNoLocation};
static_assert(std::atomic<std::int32_t>::is_always_lock_free);

inline void MarkFaultLocation(std::int32_t location) {
  currentFaultLocation.store(location, std::memory_order_relaxed);
}

inline std::int32_t CurrentFaultLocation() {
  return currentFaultLocation.load(std::memory_order_relaxed);
}

}  // namespace orv

// Records this line of this file as the current location.
#define ORV_TRACE_LOCATION() ::orv::MarkFaultLocation(::orv::LocationOf(__FILE__, __LINE__))
