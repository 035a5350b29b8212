// The windows' dialog font: captions, values and controls of the log windows
// and the plots. Why this face and size: the README's layout notes.
#pragma once

#include <QFont>

inline QFont DialogFont()
{
    QFont font("Liberation Sans", 8);
    // Whole-pixel glyph advances: a label's text is as wide on screen as its font
    // metrics say, on every display.
    font.setHintingPreference(QFont::PreferFullHinting);
    return font;
}
