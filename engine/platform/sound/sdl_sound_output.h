// SDL audio behind the sound device: enumeration and the output stream that
// pulls mixed frames from the device.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "engine/platform/sound/sound_device.h"

namespace Plat {

// SDL's output devices and its driver's name; false when SDL audio cannot start.
bool ListSdlSoundDevices(std::vector<std::string>& names, std::string& driver);
// 44100 Hz 16-bit stereo on the device of that index (-1: SDL's default),
// fed by device->Mix from SDL's audio thread. Null with error on failure.
std::unique_ptr<TSoundOutput> OpenSdlSoundOutput(TSoundDevice* device, int index, std::string& error);

}  // namespace Plat
