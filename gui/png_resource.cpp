#include "gui/png_resource.h"

#include <string>

#include "platform/platform.h"

bool loadPngResource(const char* name, DecodedImage& out) {
  out = DecodedImage{};
  platform::Resource resource;
  if (name != nullptr && platform::findResource(name, "PNG", resource) &&
      decodePng(resource.data, resource.size, out)) {
    return true;
  }
  reportImageNotLoaded(name);
  return false;
}

bool loadImage(const ImageSource& source, DecodedImage& out) {
  if (!source.data) return loadPngResource(source.name, out);
  if (decodePng(source.data, source.size, out)) return true;
  reportImageNotLoaded(source.name);
  return false;
}

void reportImageNotLoaded(const char* name) {
  platform::messageBox(nullptr, "fail to load image=" + std::string(name ? name : "") + "\n", "Loading");
}
