#include "app/layoutrecord.h"

namespace {

void Put32(std::string &out, size_t at, int32_t v)
{
    uint32_t u = static_cast<uint32_t>(v);
    for (int i = 0; i < 4; ++i) out[at + static_cast<size_t>(i)] = static_cast<char>((u >> (8 * i)) & 0xFF);
}

int32_t Get32(const std::string &in, size_t at)
{
    uint32_t u = 0;
    for (int i = 0; i < 4; ++i) u |= static_cast<uint32_t>(static_cast<unsigned char>(in[at + static_cast<size_t>(i)])) << (8 * i);
    return static_cast<int32_t>(u);
}

} // namespace

std::string LayoutRecord::Encode() const
{
    std::string out(Size, '\0');
    Put32(out, 0, Valid);
    if (!Open) return out;
    out[4] = 1;
    Put32(out, 8, Style);
    out[12] = Visible ? 1 : 0;
    Put32(out, 16, Height);
    Put32(out, 20, Width);
    Put32(out, 24, Top);
    Put32(out, 28, Left);
    Put32(out, 32, State);
    return out;
}

std::optional<LayoutRecord> LayoutRecord::Decode(const std::string &bytes)
{
    if (bytes.size() != Size) return std::nullopt;
    LayoutRecord r;
    r.Valid = Get32(bytes, 0);
    r.Open = bytes[4] != 0;
    r.Style = Get32(bytes, 8);
    r.Visible = bytes[12] != 0;
    r.Height = Get32(bytes, 16);
    r.Width = Get32(bytes, 20);
    r.Top = Get32(bytes, 24);
    r.Left = Get32(bytes, 28);
    r.State = Get32(bytes, 32);
    return r;
}

bool LayoutRecord::CannotBeWindow() const
{
    return Open && (Width <= 0 || Height <= 0 || Style < Normal || Style > StayOnTop || State < StateNormal ||
                    State > Maximized);
}
