// The game itself: a timed one-button game of splitting logs.
#pragma once

void act_init();
void act_drow();
void act_relese();
void act_main();
