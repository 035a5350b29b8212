// The stored layout of one window: 36 bytes, little-endian.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

struct LayoutRecord {
    enum FormStyle : int32_t { Normal = 0, MdiChild = 1, MdiForm = 2, StayOnTop = 3 };
    enum WindowState : int32_t { StateNormal = 0, Minimized = 1, Maximized = 2 };
    static constexpr size_t Size = 36;

    int32_t Valid = 1;
    bool Open = false;
    int32_t Style = Normal;
    bool Visible = false;
    int32_t Height = 0;
    int32_t Width = 0;
    int32_t Top = 0;
    int32_t Left = 0;
    int32_t State = StateNormal;

    // A record with open 0 carries zeros after it.
    std::string Encode() const;
    // An open record whose size, style or state no window can have.
    bool CannotBeWindow() const;
    // Exactly 36 bytes, else nothing.
    static std::optional<LayoutRecord> Decode(const std::string &bytes);
};
