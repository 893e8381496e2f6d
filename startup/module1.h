// The plain module: the picture size of the last conversion. The start-up procedure that
// belongs to it is main() in main.cpp, which also wires the windows together.
#pragma once

#include <cstdint>

struct Module1
{
    std::int32_t ImgW = 0;
    std::int32_t ImgH = 0;
};
