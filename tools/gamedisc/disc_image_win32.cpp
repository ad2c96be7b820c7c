#include "disc_volume.h"
#include "tool_os.h"

namespace gamedisc {

std::unique_ptr<DiscVolume> OpenImageVolume(const std::string& path, std::string* error) {
  *error = DisplayPath(path) +
           ": this build reads disc folders only. Windows opens an ISO image as a drive of its own: mount it "
           "and give that drive or folder. The Linux build reads .iso and .bin/.cue images.";
  return nullptr;
}

}  // namespace gamedisc
