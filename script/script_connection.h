// Connects the script language to the world at start-up.
#pragma once

namespace Script {

void ConnectToWorld();

}  // namespace Script
