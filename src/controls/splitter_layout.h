#pragma once
// Where the splitter panel puts its two panes and its bar, worked out apart from any
// widget. Lengths are twips, as the panel's properties are.

#include <QRect>

struct SplitterInput {
    int surfaceWidth = 0;      // the panel's client area
    int surfaceHeight = 0;
    bool horizontal = false;   // false: side by side; true: stacked
    int minPanelSize = 2000;
    int splitterWidth = 75;
    int position = 3000;       // middle of the bar from the left (or top) edge
    int snapped = 0;           // 0 none, 1 first pane collapsed, 2 second pane collapsed
};

struct SplitterLayout {
    int position = 0;          // the position after the layout's corrections
    QRect control1;            // left, top, width, height
    QRect bar;
    QRect control2;
    bool control1Visible = true;
    bool control2Visible = true;
};

SplitterLayout LayOutSplitter(const SplitterInput &in);

// Where a released bar leaves the split: the position from the bar's start, and whether
// a pane collapses when snapping is on (near the start: 1, near the end: 2, else 0).
struct SplitterRelease {
    int position = 0;
    int snapped = 0;
};
SplitterRelease ReleaseSplitter(int barStart, int surfaceLength, int splitterWidth, int minPanelSize,
                                bool snapToEdge);
