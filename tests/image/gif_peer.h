#pragma once
// giflib as an independent peer for the GIF codec tests: writes GIFs our
// reader must read, and reads the GIFs our writer makes.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace gifpeer {

using Rgb = std::array<uint8_t, 3>;

struct Frame {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;  // top row first, one index a pixel
    std::vector<Rgb> colors;      // a power of two 2..256 entries, or empty
    bool localTable = false;      // colours as the image's local table
    bool interlaced = false;
    int transparent = -1;  // written in a graphic control extension
};

struct File {
    bool gif89 = false;
    std::vector<Rgb> globalColors;  // empty: no global table
    std::vector<Frame> frames;
};

// Writes with giflib; false on any giflib failure.
bool Write(const std::string& path, const File& file);

struct Decoded {
    bool ok = false;
    std::string version;  // "87a" or "89a"
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;  // first image, top row first
    std::vector<Rgb> colors;      // the first image's table (local or global)
    int transparent = -1;
};

// Reads the first image with giflib.
Decoded Read(const std::string& path);

// Pixels with some structure and some noise, values below `colors`.
std::vector<uint8_t> MakePixels(int width, int height, int colors, uint32_t seed);
std::vector<Rgb> MakeColors(int count, uint32_t seed);

}  // namespace gifpeer
