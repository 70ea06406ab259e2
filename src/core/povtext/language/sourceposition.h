#pragma once

/// A place in POV-Ray source text: the file (an index into the reader's file list), the line
/// and the column, both counted from 1. A position without a file stands for no place.
struct SourcePosition {
    int file = -1;
    int line = 0;
    int column = 0;

    bool IsKnown() const { return file >= 0; }
    friend bool operator==(const SourcePosition&, const SourcePosition&) = default;
};
