#include "core/catalog/celllayout.h"

#include <algorithm>

namespace {
constexpr int kMargin = 20;      // left and top of the first thumbnail
constexpr int kColumnGap = 25;   // between thumbnails of a row
constexpr int kRightMargin = 10; // a thumbnail must end this far from the right edge
constexpr int kRowGap = 38;      // between a thumbnail's bottom and the next row's top
constexpr int kCellSide = 13;    // cell margin left and right of the thumbnail
constexpr int kCellAbove = 10;   // cell margin above the thumbnail
constexpr int kCellBelow = 33;   // cell margin below the thumbnail, for the name

int FloorDiv(int a, int b) {
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}
} // namespace

CellLayout::CellLayout(int count, int thumbnailWidth, int thumbnailHeight, int clientWidth)
    : m_count(std::max(0, count)), m_width(thumbnailWidth), m_height(thumbnailHeight) {
    // Thumbnail k of a row stands at 20 + k * (W + 25) and fits while it ends 10 pixels short of
    // the edge; the first of a row is placed even when it does not fit.
    const int room = clientWidth - kMargin - kRightMargin - m_width;
    m_columns = 1 + std::max(0, FloorDiv(room, m_width + kColumnGap));
}

std::pair<int, int> CellLayout::ThumbnailPosition(int index) const {
    const int row = index / m_columns;
    const int column = index % m_columns;
    return {kMargin + column * (m_width + kColumnGap), kMargin + row * (m_height + kRowGap)};
}

CellRect CellLayout::Cell(int index) const {
    const auto [c, t] = ThumbnailPosition(index);
    return {c - kCellSide, t - kCellAbove, c + m_width + kCellSide, t + m_height + kCellBelow};
}

int CellLayout::HitTest(int x, int y) const {
    if (m_count == 0)
        return -1;
    // Neighbouring cells share a column of pixels and rows overlap, so look at the cells around
    // the point and take the lowest index that contains it.
    const int row = FloorDiv(y - kMargin, m_height + kRowGap);
    const int column = FloorDiv(x - kMargin, m_width + kColumnGap);
    int hit = -1;
    for (int r = row - 1; r <= row + 1; ++r) {
        for (int c = column - 1; c <= column + 1; ++c) {
            if (r < 0 || c < 0 || c >= m_columns)
                continue;
            const int index = r * m_columns + c;
            if (index < m_count && Cell(index).Contains(x, y) && (hit < 0 || index < hit))
                hit = index;
        }
    }
    return hit;
}

int CellLayout::ContentHeight() const {
    return m_count == 0 ? 0 : Cell(m_count - 1).bottom;
}

std::pair<int, int> CellLayout::IndicesMeeting(int top, int bottom) const {
    if (m_count == 0 || bottom <= top)
        return {0, 0};
    const int pitch = m_height + kRowGap;
    // Row r's cell spans [20 + r * pitch - 10, 20 + r * pitch + H + 33).
    const int firstRow = std::max(0, FloorDiv(top - kMargin - m_height - kCellBelow, pitch) + 1);
    const int lastRow = FloorDiv(bottom - 1 - kMargin + kCellAbove, pitch);
    if (lastRow < firstRow)
        return {0, 0};
    const int first = std::min(m_count, firstRow * m_columns);
    const int last = std::min(m_count, (lastRow + 1) * m_columns);
    return {first, last};
}

int CellLayout::Rows() const {
    return (m_count + m_columns - 1) / m_columns;
}

int CellLayout::RowPitch() const {
    return m_height + kRowGap;
}

int CellLayout::RowTop(int row) const {
    return kMargin - kCellAbove + row * RowPitch();
}

int CellLayout::HeightOfRows(int rows) const {
    return rows <= 0 ? 0 : kMargin + (rows - 1) * RowPitch() + m_height + kCellBelow;
}

int CellLayout::RowsWithin(int height) const {
    const int room = height - HeightOfRows(1);
    return 1 + std::max(0, FloorDiv(room, RowPitch()));
}

int CellLayout::InsertionIndex(int x, int y) const {
    if (m_count == 0)
        return 0;
    // The row whose band (from a row's cell top to the next row's) holds the point, and the
    // number of that row's thumbnails whose middle lies left of it.
    const int row = std::max(0, FloorDiv(y - RowTop(0), RowPitch()));
    const int pitch = m_width + kColumnGap;
    const int before = std::clamp(FloorDiv(x - kMargin - m_width / 2 - 1, pitch) + 1, 0, m_columns);
    if (row >= Rows())
        return m_count;
    return std::min(m_count, row * m_columns + before);
}
