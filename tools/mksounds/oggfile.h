// OGG Vorbis output through libvorbisenc.
#pragma once

#include <string>

#include "render.h"

// Stereo, kRate Hz, VBR quality 0.4. The decoded length is exactly the input length.
void writeOgg(const std::string& path, const Stereo& audio, const std::string& title);
