// Text layout in screen units. At scale 1 a capital letter is one unit high; each
// character advances by its glyph's advance times the scale, plus the spacing
// (in conv::kSpacingUnits) between characters. A print's extent is its ink, exactly as drawn:
// from the first character's left edge to the last one's right edge (a trailing
// space, having no ink, counts with its advance, so a caret after it moves).
#pragma once
#include <cstddef>
#include <cstdint>

#include "core/Conventions.h"
#include "core/Scene.h"

namespace impact {

inline float UnitsPerFontPixel(const FontData& font) {
  return conv::kCapitalHeightUnits / font.capHeight;
}

// Font pixels from the pen to the first character's ink.
inline float InkStart(const FontData& font, const char* text, size_t length) {
  if (length == 0) return 0;
  const Glyph& g = font.glyphs[static_cast<unsigned char>(text[0])];
  return g.atlasW > 0 ? g.left : 0;
}

inline float TextWidth(const FontData& font, const char* text, size_t length, float scaleX,
                       float spacing) {
  if (length == 0) return 0;
  const float k = UnitsPerFontPixel(font) * scaleX;
  float pen = 0;
  for (size_t i = 0; i + 1 < length; ++i)
    pen += font.glyphs[static_cast<unsigned char>(text[i])].advance;
  const Glyph& last = font.glyphs[static_cast<unsigned char>(text[length - 1])];
  const float end = last.atlasW > 0 ? last.left + last.atlasW : last.advance;
  return (pen + end - InkStart(font, text, length)) * k +
         spacing * conv::kSpacingUnits * static_cast<float>(length - 1);
}

// Calls emit(glyph, x0, y0, x1, y1) for every visible glyph: its rectangle in
// screen units (x0 left, y0 bottom, x1 right, y1 top), for text whose ink starts at
// `left` on the baseline `baseline`.
template <class Emit>
void LayoutText(const FontData& font, const char* text, size_t length, float left, float baseline,
                float scaleX, float scaleY, float spacing, Emit&& emit) {
  const float unit = UnitsPerFontPixel(font);
  const float kx = unit * scaleX, ky = unit * scaleY;
  float pen = left - InkStart(font, text, length) * kx;
  for (size_t i = 0; i < length; ++i) {
    const Glyph& g = font.glyphs[static_cast<unsigned char>(text[i])];
    if (g.atlasW > 0) {
      float x0 = pen + g.left * kx;
      float y1 = baseline + g.top * ky;
      emit(g, x0, y1 - g.atlasH * ky, x0 + g.atlasW * kx, y1);
    }
    pen += g.advance * kx + spacing * conv::kSpacingUnits;
  }
}

// The baseline of text whose capital letters are centred on y.
inline float BaselineFor(float y, float scaleY) {
  return y - conv::kCapitalHeightUnits * scaleY * 0.5f;
}

}  // namespace impact
