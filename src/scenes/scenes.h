// Every scene of the game, under the id g_scene holds to choose it: the
// scene manager runs them from this table, and the test rigs find them here.
// A new scene is its own source files plus one id and one row below.
#pragma once

#include "act/act.h"
#include "platform/frame.h"  // g_scene, which holds one of the ids below
#include "scenes/logo.h"
#include "scenes/stageselect.h"
#include "scenes/title.h"

enum SceneId { SCENE_END = 0, SCENE_TITLE = 1, SCENE_ACT = 2, SCENE_LOGO = 5, SCENE_STAGESELECT = 6 };

struct SceneEntry {
    int id;
    const char* name;
    void (*run)();  // the whole scene: init, frames until it ends, release
};

inline constexpr SceneEntry kScenes[] = {
    {SCENE_TITLE, "title", title_main},
    {SCENE_ACT, "act", act_main},
    {SCENE_LOGO, "logo", logo_main},
    {SCENE_STAGESELECT, "stageselect", stageselect_main},
};

// The scene that id names, or null.
const SceneEntry* FindScene(int id);

// The frame loop every menu scene runs: keys, draw, present, wait, system
// keys, until the scene clears its flag; then its release step.
void RunSceneLoop(void (*init)(), void (*keys)(), void (*drow)(), void (*relese)(), int* scene_exit);
