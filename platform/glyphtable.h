// A font's glyph and advance for each printable ASCII character that is drawn
// by a glyph of its own (no ligature), and the pairs of them set closer or
// wider than their advances (kerned): laid out, a text of the others has each
// character where the sum of the advances before it puts it. A font with
// lines through, over or under its texts places none. Views that draw the same
// short texts over and over (value labels, grid cells, the lines of traffic
// panes) draw them as one run of these glyphs in place of laying each text out.
#pragma once

#include <QFont>
#include <QGlyphRun>
#include <QRawFont>
#include <QStringView>
#include <array>
#include <optional>

struct GlyphTable {
    static constexpr char16_t First = 0x20, Last = 0x7e;
    QFont font;
    QRawFont raw;
    qreal ascent = 0, height = 0;
    std::array<bool, Last - First + 1> placed{};
    std::array<quint32, Last - First + 1> glyph{};
    std::array<qreal, Last - First + 1> advance{};
    std::array<std::array<bool, Last - First + 1>, Last - First + 1> kerned{};

    bool Placed(QChar c) const { return c.unicode() >= First && c.unicode() <= Last && placed[c.unicode() - First]; }
    // Every character of text placed by the table, no pair of them kerned.
    bool Places(QStringView text) const;

    // The text as one run of the table's glyphs, each where a line of the text
    // laid out from the top left puts it (the baseline at ascent); none when the
    // table does not place the text. width: the advances of the whole text;
    // inked: the same without trailing spaces.
    struct Run {
        QGlyphRun glyphs;
        qreal width = 0, inked = 0;
    };
    std::optional<Run> Lay(QStringView text) const;

    explicit GlyphTable(const QFont &f);
    // The table of a font, made once.
    static const GlyphTable &For(const QFont &font);
};
