#include "update/image_limit.h"

#include <cstring>
#include <initializer_list>

#include "catalogue/catalogue.h"
#include "protocol/constants.h"
#include "update/messages.h"

namespace {

bool NameIn(const char* name, std::initializer_list<const char*> names) {
  for (const char* member : names) {
    if (std::strcmp(name, member) == 0) return true;
  }
  return false;
}

}  // namespace

ImageLimit ImageLimitFor(const char* modelName) {
  const char* name = modelName != nullptr ? modelName : "";
  // Two groups accept more than their message says (12,288 for "4 * 1024",
  // 493,568 for "2 * 1024 * 240"); the PLCs take the limits, the texts stay.
  if (NameIn(name, {"PM7-D-V2", "PM7-D-V4", "PN7-MOB", "RC28"})) {
    return {0x80000, "The file size EXCEEDS the MAXIMUM size (128 * 1024 * 4)"};
  }
  if (NameIn(name, {"PM7-F", "TK26"})) {
    return {0xE0000, "The file size EXCEEDS the MAXIMUM size (128 * 1024 * 7)"};
  }
  if (NameIn(name, {"30PN7-AIO"})) {
    return {0x3000, "The file size EXCEEDS the MAXIMUM size (4 * 1024)"};
  }
  if (NameIn(name, {"KQ200-AIO", "PN8-AIO", "RV8-AIO"})) {
    return {0xA000, "The file size EXCEEDS the MAXIMUM size (40 * 1024)"};
  }
  if (IsSectorModel(name)) {
    return {0x1FB000, "The file size EXCEEDS the MAXIMUM size (2028 * 1024)"};
  }
  return {0x78800, "The file size EXCEEDS the MAXIMUM size (2 * 1024 * 240)"};
}

uint32_t ImageMinimumFor(const char* modelName) {
  return IsSectorModel(modelName) ? plc::kSectorSize : 0;
}

const char* ImageSizeRefusal(const char* modelName, uint32_t length) {
  const ImageLimit limit = ImageLimitFor(modelName);
  if (length > limit.maxLength) return limit.tooLargeMessage;
  if (length < ImageMinimumFor(modelName)) return msg::kImageBelowSectorMinimum;
  return nullptr;
}
