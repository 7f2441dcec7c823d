// Found before emscripten's own SDL headers when the game code is compiled:
// the scenes reach the machine only through the platform layer.
#error "game code includes SDL: call the platform layer instead"
