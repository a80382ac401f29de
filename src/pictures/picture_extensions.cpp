#include "pictures/picture_extensions.h"

#include <algorithm>

namespace corvane::pictures {

void AddExtension(std::vector<std::string>& list, const std::string& extension) {
  if (std::find(list.begin(), list.end(), extension) == list.end()) list.push_back(extension);
}

std::vector<std::string> CommonExtensionsFirst(const std::vector<std::string>& installed) {
  std::vector<std::string> all;
  for (const char* common : {"bmp", "gif", "jpg", "jpeg", "png", "tif", "tiff", "ico", "webp"}) {
    if (std::find(installed.begin(), installed.end(), common) != installed.end()) AddExtension(all, common);
  }
  for (const std::string& e : installed) AddExtension(all, e);
  return all;
}

}  // namespace corvane::pictures
