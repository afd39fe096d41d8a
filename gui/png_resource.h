// Loading an editor image from the plug-in library's "PNG" resources.
#pragma once

#include "gui/png_decode.h"

// Finds the "PNG" resource of that name (case ignored) and decodes it. When the resource is
// missing or cannot be decoded, the user is told in a message box captioned "Loading"
// ("fail to load image=NAME") and `out` stays empty; the caller draws nothing for it.
bool loadPngResource(const char* name, DecodedImage& out);

// Tells the user that an image could not be loaded (the "Loading" box).
void reportImageNotLoaded(const char* name);
