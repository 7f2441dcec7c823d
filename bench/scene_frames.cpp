#include "scene_frames.h"

#include <SDL.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <memory>

#include "act/act.h"
#include "act/act_internal.h"
#include "app/app.h"
#include "harness/harness.h"
#include "platform/frame.h"
#include "platform/host.h"
#include "platform/records.h"
#include "platform/surfaces.h"
#include "scenes/logo.h"
#include "scenes/scenes.h"
#include "scenes/stageselect.h"
#include "scenes/title.h"

namespace fs = std::filesystem;

namespace bench {
namespace {

std::unique_ptr<harness::GameDir> g_dir;
SDL_Surface* g_floorPicture;

uint32_t FrozenClock() { return 0; }
void NoSleep(uint32_t) {}

// The tail of every frame, as the scene loops run it.
void EndFrame() {
    FPSWait();
    system_keys();
}

void MenuFrame(void (*keys)(), void (*drow)()) {
    keys();
    drow();
    halt();
    EndFrame();
}

void FloorSetUp() {
    if (!g_floorPicture) {
        // The result picture: full screen, with plenty of transparent pixels.
        g_floorPicture = SDL_LoadBMP(kResultPicture.path);
        SDL_SetColorKey(g_floorPicture, SDL_SRCCOLORKEY, 0);
    }
}

void FloorFrame() {
    SDL_Rect all = {0, 0, kScreenWidth, kScreenHeight};
    SDL_FillRect(g_screen, &all, 0);
    SDL_Rect origin = {0, 0, 0, 0};
    SDL_BlitSurface(g_floorPicture, nullptr, g_screen, &origin);
    SDL_Flip(g_screen);  // every frame must be shown
}

// The present alone: what SDL_Flip costs on the dummy driver, whatever is drawn.
void PresentFrame() { halt(); }

void LogoSetUp() {
    ReleaseAllBitmaps();
    logo_init();
}
void LogoFrame() { MenuFrame(logo_keys, logo_drow); }

void TitleSetUp() {
    ReleaseAllBitmaps();
    title_init();
}
void TitleFrame() { MenuFrame(title_keys, title_drow); }

void StageSelectSetUp() {
    ReleaseAllBitmaps();
    stageselect_init();
}
void StageSelectFrame() { MenuFrame(stageselect_keys, stageselect_drow); }

// Every piece and every number live and on screen, the worst the tables allow.
FlyingPiece g_pieces[kPieces];
ScoreNumber g_numbers[kNumbers];

void ActSetUp() {
    ReleaseAllBitmaps();
    act_init();
    for (int i = 0; i < kPieces; i++) g_pieces[i] = FlyingPiece{1, 20 + i % 8 * 36, 24 + i / 8 * 40, 60, i % 2};
    for (int i = 0; i < kNumbers; i++) g_numbers[i] = ScoreNumber{8 + i % 8 * 38, 10 + i / 8 * 22, 1, 0, i * 37};
}

void HoldPlayState() {
    sn = SN_PLAY;
    player[wait_count] = 30;
    player[signal_count] = 0;
    player[pressed] = 0;
    player[swing_count] = 0;
    player[score] = 12345;
    player[time_left] = 1800;
}

void PlayFrame() {
    HoldPlayState();
    std::memcpy(pshotf, g_pieces, sizeof pshotf);
    std::memcpy(pshotf2, g_numbers, sizeof pshotf2);
    act_drow();
    EndFrame();
}

void ZoomFrame(int zoom) {
    gameflag[GF_ZOOM] = zoom;
    PlayFrame();
    gameflag[GF_ZOOM] = 0;
}
void Zoom2Frame() { ZoomFrame(2); }
void Zoom4Frame() { ZoomFrame(4); }

void ResultSetUp() {
    ActSetUp();
    std::memset(pshotf, 0, sizeof pshotf);
    std::memset(pshotf2, 0, sizeof pshotf2);
}

void ResultFrame() {
    sn = SN_RESULT;
    demo[0] = 1;  // OK is not taken yet
    player[score] = 29000;
    player[time_left] = 0;
    act_drow();
    EndFrame();
}

}  // namespace

const SceneFrame kFloor = {"floor", SCENE_END, "-", "floor", FloorSetUp, FloorFrame};
const SceneFrame kFrames[] = {
    {"present", SCENE_END, "-", "present alone", LogoSetUp, PresentFrame},
    {"logo", SCENE_LOGO, "floor", "logo", LogoSetUp, LogoFrame},
    {"title", SCENE_TITLE, "floor", "title", TitleSetUp, TitleFrame},
    {"stageselect", SCENE_STAGESELECT, "floor", "stage select", StageSelectSetUp, StageSelectFrame},
    {"play", SCENE_ACT, "floor", "play, 40 pieces + 80 numbers", ActSetUp, PlayFrame},
    {"result", SCENE_ACT, "floor", "result", ResultSetUp, ResultFrame},
    {"play_zoom2", SCENE_ACT, "play", "magnified play frame, zoom 2", ActSetUp, Zoom2Frame},
    {"play_zoom4", SCENE_ACT, "play", "magnified play frame, zoom 4", ActSetUp, Zoom4Frame},
};
const int kFrameCount = sizeof kFrames / sizeof kFrames[0];

const SceneFrame* FindFrame(const char* name) {
    if (std::strcmp(name, kFloor.name) == 0) return &kFloor;
    for (const SceneFrame& s : kFrames)
        if (std::strcmp(name, s.name) == 0) return &s;
    return nullptr;
}

void StartGame() {
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    g_dir = std::make_unique<harness::GameDir>();
    fs::current_path(g_dir->path);

    if (StartUp(false) != 0) std::abort();  // the game's own start-up, up to the scene manager
    g_host.clockUs = FrozenClock;
    g_host.sleepUs = NoSleep;
}

void StopGame() {
    ReleaseAllBitmaps();
    if (g_floorPicture) SDL_FreeSurface(g_floorPicture);
    g_floorPicture = nullptr;
    g_host = PlatformHost();
    ExitProgram();
    fs::current_path(fs::temp_directory_path());
    g_dir.reset();
}

}  // namespace bench
