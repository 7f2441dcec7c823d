// In the browser the page scales the canvas to the window.
#include "app/window_scale.h"

void SetUpWindowScale() {}
