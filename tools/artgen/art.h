// The artwork generator's drawing: every image of the panel and the dialogs, drawn with
// cairo from the panel geometry and the board layout, and written as PNG files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "editor/panel_geometry.h"
#include "tools/artgen/board_layout.h"

namespace art {

// A drawn image: straight (not premultiplied) RGBA, 4 bytes a pixel, rows top down.
struct Image {
  std::string name;
  int width = 0, height = 0;
  std::vector<uint8_t> rgba;
  bool opaque() const;
};

// Loads the fonts (Liberation Sans from its TTF files); false with a message when missing.
bool loadFonts(const std::string& fontDir, std::string& error);

// Draws the image of that geometry entry.
Image render(const panel::ImageSpec& spec);

// The box a label's text occupies on the board (fonts must be loaded).
panel::Rect labelBox(const Label& label);
// How much a label is condensed to fit its column: its set width over its width in the
// plainest style it may take (1: not condensed).
double labelCondensing(const Label& label);

// Writes the image as PNG with fixed settings (RGB when opaque, else RGBA; compression 9;
// no time or text chunks), so equal pixels give equal files on one machine.
bool writePng(const Image& image, const std::string& path, std::string& error);

}  // namespace art

namespace art {

// The panel as the editor shows it when it opens: the board with every handle, switch,
// dial, light, button, meter and the logo drawn over it by the toolkit's placement rules,
// each control at the normalised value valueOf(parameter) gives. The images are those of
// render(), in the order of panel::kImages.
Image composePanel(const std::vector<Image>& images, float (*valueOf)(int param));

}  // namespace art
