#include "controls/splitter_layout.h"

#include <QtGlobal>

SplitterLayout LayOutSplitter(const SplitterInput &in)
{
    SplitterLayout out;
    const int S = in.horizontal ? in.surfaceHeight : in.surfaceWidth;
    const int T = in.horizontal ? in.surfaceWidth : in.surfaceHeight;
    const int Min = in.minPanelSize;
    const int W = in.splitterWidth;
    const int N = in.snapped;
    int P = in.position;

    out.control1Visible = N != 1;
    out.control2Visible = N != 2;
    if (N == 2)
        P = in.horizontal ? S - W / 2 : S - W;
    if (S < 2 * Min) {
        P = N == 0 ? S / 2 : N == 1 ? 0 : S - W / 2;
    } else if (P >= Min && P > S - Min) {
        P = N == 2 ? S - W / 2 : S - Min;
    } else if (P < Min) {
        P = N == 1 ? 0 : Min;
    }
    out.position = P;

    const int b = P - W / 2;
    const int e = b + W;
    auto atLeastOne = [](int v) { return qMax(1, v); };
    if (!in.horizontal) {
        out.control1 = QRect(0, 0, atLeastOne(b), atLeastOne(T));
        out.bar = QRect(b, 0, atLeastOne(W), atLeastOne(T));
        out.control2 = QRect(e, 0, atLeastOne(S - e), atLeastOne(T));
    } else {
        out.control1 = QRect(0, 0, atLeastOne(T), atLeastOne(b));
        out.bar = QRect(0, b, atLeastOne(T), atLeastOne(W));
        out.control2 = QRect(0, e, atLeastOne(T), atLeastOne(S - e));
    }
    return out;
}

SplitterRelease ReleaseSplitter(int barStart, int surfaceLength, int splitterWidth, int minPanelSize,
                                bool snapToEdge)
{
    SplitterRelease out;
    out.position = barStart + splitterWidth / 2;
    if (!snapToEdge)
        return out;   // no snapping: neither pane stays collapsed
    if (out.position < minPanelSize / 4) {
        out.position = 0;
        out.snapped = 1;
    } else if (out.position > surfaceLength - minPanelSize / 4) {
        out.snapped = 2;
        out.position = surfaceLength - splitterWidth;
    }
    return out;
}
