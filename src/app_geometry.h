// The island's target shape for a display mode: pure geometry over the App
// (texts are measured through its Renderer when it has one).
#pragma once
#include <cstdint>

struct App;

// Width, height and corner radius in island units.
struct IslandShape {
    float width = 0, height = 0, radius = 0;
};

// The shape of the mode with this tag byte and payload byte.
IslandShape island_size(const App& app, uint8_t tag, uint8_t payload);
