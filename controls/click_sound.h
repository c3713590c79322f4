// The interface's click, at the effect volume.
#pragma once

namespace Main {

void PlayClickSound();

}  // namespace Main
