// Prints the browser's packs, one a line, from the game's own lists of
// pictures and sounds: web/pack.js makes them. The logo's pack holds what
// start-up and the logo draw; the title's every other picture with the
// title's effect and music, fetched while the logo shows; then the other
// effects, then the other music. A file goes into the first pack that
// names it, so each later pack names every file of its kind.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/picture_files.h"
#include "sound/sound.h"
#include "sound/sound_files.h"

namespace {

using Files = std::vector<std::string>;

// Every file of a kind goes in name order, as in a folder's listing.
Files Sorted(Files files) {
    std::sort(files.begin(), files.end());
    return files;
}

void Pack(const char* name, const Files& files) {
    std::printf("%s=", name);
    for (size_t i = 0; i < files.size(); i++) std::printf("%s%s", i ? "," : "", files[i].c_str());
    std::printf("\n");
}

}  // namespace

int main() {
    Files pictures;
    for (const PictureFile& p : kPictureFiles) pictures.push_back(p.path);
    Pack("logo.pack", {kPalettePicture.path, kLogoPicture.path});  // in the order they load
    Files title = Sorted(pictures);
    title.insert(title.end(), {kEffectFiles[SE_SELECT], kMusicFiles[kGameMusic]});
    Pack("title.pack", title);
    Pack("game.pack", Sorted({std::begin(kEffectFiles), std::end(kEffectFiles)}));
    Pack("music.pack", Sorted({std::begin(kMusicFiles), std::end(kMusicFiles)}));
    return 0;
}
