#pragma once

namespace qdv {

// A rectangle of editable cells: the first column and row (0-based) and its size.
struct GridRect {
    int column = 0;
    int row = 0;
    int width = 0;
    int height = 0;

    bool IsEmpty() const { return width <= 0 || height <= 0; }
    bool Contains(int c, int r) const {
        return c >= column && c < column + width && r >= row && r < row + height;
    }
    bool operator==(const GridRect&) const = default;
};

} // namespace qdv
