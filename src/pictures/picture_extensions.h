// The order in which the open-file dialog and the messages list the picture kinds a system reads.
#pragma once

#include <string>
#include <vector>

namespace corvane::pictures {

// `installed` (lower case, without the dot) with the common kinds first, in the order people
// look for them (bmp, gif, jpg, jpeg, png, tif, tiff, ico, webp: those installed), then the rest
// in their own order, each once.
std::vector<std::string> CommonExtensionsFirst(const std::vector<std::string>& installed);

// Adds `extension` at the end unless `list` holds it already.
void AddExtension(std::vector<std::string>& list, const std::string& extension);

}  // namespace corvane::pictures
