// A picture of the stages to come; OK or cancel go back to the title.
#pragma once

void stageselect_init();
void stageselect_keys();
void stageselect_drow();
void stageselect_relese();
void stageselect_main();
