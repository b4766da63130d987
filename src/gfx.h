// The drawing surface of the island. The App owns one Renderer; the Direct2D
// implementation lives in gfx_win.cpp, and a recording implementation with
// fixed text metrics lets the App, the tick and the pages run natively.
#pragma once
#include <cstdint>

class Renderer {
public:
    virtual ~Renderer() = default;
    // Island units to pixels.
    virtual float scale() const = 0;
    // Drops a cached picture (ids carry their owner in the top byte).
    virtual void forget_image(uint64_t id) = 0;
};

// Image-cache ids: the owner in the top byte.
constexpr uint64_t image_id(uint8_t owner, uint64_t id) { return (uint64_t{owner} << 56) | (id & 0x00FFFFFFFFFFFFFFull); }
