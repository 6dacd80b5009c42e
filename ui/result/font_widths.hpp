// The widths of the result area's characters, measured in its font.
#pragma once

#include <QFont>

#include <memory>

#include "ui/result/model/char_widths.hpp"

namespace tavix::ui {

// The font a result is laid out and painted with: the widget's font without kerning, so that
// a line is exactly as wide as the sum of its characters' advances.
QFont layoutFontOf(const QFont& font);

// The widths of `font`'s characters (laid out as layoutFontOf(font)). Characters outside
// ASCII are measured when first met, on whatever thread meets them, each thread with a font
// of its own.
std::unique_ptr<CharWidths> charWidthsOf(const QFont& font);

}  // namespace tavix::ui
