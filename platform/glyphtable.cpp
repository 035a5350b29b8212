#include "platform/glyphtable.h"

#include <QFontMetricsF>
#include <QGlyphRun>
#include <QTextLayout>
#include <memory>
#include <vector>

namespace {

QList<QGlyphRun> LaidOut(const QString &text, const QFont &font)
{
    QTextLayout layout(text, font);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    line.setLineWidth(1e6);
    line.setPosition(QPointF(0, 0));
    layout.endLayout();
    return layout.glyphRuns();
}

}   // namespace

GlyphTable::GlyphTable(const QFont &f) : font(f)
{
    // A line through, over or under a text is drawn with the text, not with its glyphs: such a font places nothing.
    if (font.underline() || font.overline() || font.strikeOut()) return;
    QString all;
    for (char16_t c = First; c <= Last; ++c) all += QChar(c);
    const QList<QGlyphRun> runs = LaidOut(all, font);
    if (runs.size() != 1) return;
    raw = runs[0].rawFont();
    const QList<quint32> glyphs = raw.glyphIndexesForString(all);
    if (glyphs.size() != all.size()) return;
    const QList<QPointF> advances = raw.advancesForGlyphIndexes(glyphs);
    for (qsizetype i = 0; i < all.size(); ++i) {
        glyph[i] = glyphs[i];
        advance[i] = advances[i].x();
    }
    const QFontMetricsF metrics(font);
    ascent = metrics.ascent();
    height = metrics.ascent() + metrics.descent();
    // Each character between every character, both ways round: a character is
    // placed when each of these comes out as its own glyph on the baseline.
    for (qsizetype a = 0; a < all.size(); ++a) {
        QString text;
        for (qsizetype b = 0; b < all.size(); ++b) text += all[a], text += all[b];
        const QList<QGlyphRun> pairs = LaidOut(text, font);
        if (pairs.size() != 1 || pairs[0].rawFont() != raw) continue;
        const QList<quint32> ids = pairs[0].glyphIndexes();
        const QList<QPointF> positions = pairs[0].positions();
        if (ids.size() != text.size() || positions.size() != text.size()) continue;
        bool own = true;
        for (qsizetype i = 0; i < text.size() && own; ++i) {
            const int c = text[i].unicode() - First;
            own = ids[i] == glyph[c] && positions[i].y() == ascent;
            if (own && i + 1 < text.size() && positions[i + 1].x() - positions[i].x() != advance[c])
                kerned[c][text[i + 1].unicode() - First] = true;
        }
        placed[a] = own;
    }
}

bool GlyphTable::Places(QStringView text) const
{
    int before = -1;
    for (QChar c : text) {
        if (!Placed(c)) return false;
        const int i = c.unicode() - First;
        if (before >= 0 && kerned[before][i]) return false;
        before = i;
    }
    return true;
}

std::optional<GlyphTable::Run> GlyphTable::Lay(QStringView text) const
{
    if (!Places(text)) return std::nullopt;
    QList<quint32> glyphs;
    QList<QPointF> positions;
    glyphs.reserve(text.size());
    positions.reserve(text.size());
    Run run;
    for (QChar c : text) {
        const int i = c.unicode() - First;
        glyphs.append(glyph[i]);
        positions.append(QPointF(run.width, ascent));
        run.width += advance[i];
        if (c != QLatin1Char(' ')) run.inked = run.width;   // the width a line counts: trailing spaces left out
    }
    run.glyphs.setRawFont(raw);
    run.glyphs.setGlyphIndexes(glyphs);
    run.glyphs.setPositions(positions);
    return run;
}

const GlyphTable &GlyphTable::For(const QFont &font)
{
    // Comparing fonts compares every property; the fonts asked with are mostly
    // copies of a few (each label's own, shared by its copies), known again by
    // their shared data alone.
    struct Known {
        QFont font;
        const GlyphTable *table;
    };
    static std::vector<std::unique_ptr<GlyphTable>> tables;
    static std::vector<Known> known;
    for (const Known &k : known)
        if (k.font.isCopyOf(font)) return *k.table;
    const GlyphTable *found = nullptr;
    for (const auto &t : tables)
        if (t->font == font) found = t.get();
    if (!found) {
        tables.push_back(std::make_unique<GlyphTable>(font));
        found = tables.back().get();
    }
    if (known.size() < 256) known.push_back({font, found});
    return *found;
}
