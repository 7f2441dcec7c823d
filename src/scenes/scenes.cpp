#include "scenes/scenes.h"

#include "platform/frame.h"

const SceneEntry* FindScene(int id) {
    for (const SceneEntry& entry : kScenes)
        if (entry.id == id) return &entry;
    return nullptr;
}

void RunSceneLoop(void (*init)(), void (*keys)(), void (*drow)(), void (*relese)(), int* scene_exit) {
    init();
    while (*scene_exit) {
        keys();
        drow();
        halt();
        FPSWait();
        if (system_keys() == 0) *scene_exit = 0;
    }
    relese();
}
