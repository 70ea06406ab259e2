#pragma once

#include <utility>

/// A rectangle of the catalog grid; it contains a point when left <= x < right and
/// top <= y < bottom.
struct CellRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    bool Contains(int x, int y) const { return left <= x && x < right && top <= y && y < bottom; }
    friend bool operator==(const CellRect&, const CellRect&) = default;
};

/// Where each texture of a catalog stands in the catalog window: thumbnails 25 pixels apart in
/// rows that start 20 pixels in, a texture starting a new row when it would reach within 10
/// pixels of the right edge. Rows all hold the same number of textures, so positions, hit tests
/// and the cells meeting an area are found without walking the whole catalog.
class CellLayout {
public:
    CellLayout(int count, int thumbnailWidth, int thumbnailHeight, int clientWidth);

    int Count() const { return m_count; }
    int Columns() const { return m_columns; }
    /// Top-left corner of texture `index`'s thumbnail.
    std::pair<int, int> ThumbnailPosition(int index) const;
    /// The cell of texture `index`: its thumbnail and name with their margins.
    CellRect Cell(int index) const;
    /// The first texture (in index order) whose cell contains the point, or -1.
    int HitTest(int x, int y) const;
    /// The bottom of the last cell (0 for an empty catalog).
    int ContentHeight() const;
    /// The textures whose cells meet the rows top to bottom - 1, as [first, last).
    std::pair<int, int> IndicesMeeting(int top, int bottom) const;

    /// Rows of the grid (0 for an empty catalog) and the distance from one row to the next.
    int Rows() const;
    int RowPitch() const;
    /// The top of the cells of row `row`.
    int RowTop(int row) const;
    /// The height taken by the first `rows` rows: from the top edge to the bottom of their cells.
    int HeightOfRows(int rows) const;
    /// How many whole rows fit in `height` (at least one, so that every row finds a place).
    int RowsWithin(int height) const;
    /// Where a texture dropped at the point would be put: the index it would take, from 0 (before
    /// the first) to Count() (after the last).
    int InsertionIndex(int x, int y) const;

private:
    int m_count;
    int m_width;
    int m_height;
    int m_columns;
};

/// The layout of `count` textures with W x H thumbnails in a window `clientWidth` pixels wide.
inline CellLayout ComputeCellLayout(int count, int thumbnailWidth, int thumbnailHeight,
                                    int clientWidth) {
    return CellLayout(count, thumbnailWidth, thumbnailHeight, clientWidth);
}
