// Loading an editor image from the plug-in library's "PNG" resources.
#pragma once

#include <cstddef>

#include "gui/png_decode.h"

// Where an editor image comes from: the "PNG" resource of that name, or, when data is
// given, PNG bytes in memory that `name` only names (for images a program makes itself).
struct ImageSource {
  ImageSource(const char* resourceName) : name(resourceName) {}  // NOLINT: names convert
  ImageSource(const char* imageName, const unsigned char* pngData, std::size_t pngSize)
      : name(imageName), data(pngData), size(pngSize) {}
  const char* name = nullptr;
  const unsigned char* data = nullptr;
  std::size_t size = 0;
};

// Decodes the image from its source; a failure is reported as for a resource.
bool loadImage(const ImageSource& source, DecodedImage& out);

// Finds the "PNG" resource of that name (case ignored) and decodes it. When the resource is
// missing or cannot be decoded, the user is told in a message box captioned "Loading"
// ("fail to load image=NAME") and `out` stays empty; the caller draws nothing for it.
bool loadPngResource(const char* name, DecodedImage& out);

// Tells the user that an image could not be loaded (the "Loading" box).
void reportImageNotLoaded(const char* name);
