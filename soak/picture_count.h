#pragma once

struct Host;

namespace soak {
// Makes the host count the pictures it loads and frees.
void CountPictures(Host& host);
// Pictures loaded through a counting host and not yet freed.
long LivePictures();
}  // namespace soak
