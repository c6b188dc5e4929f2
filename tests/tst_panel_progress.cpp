// The splitter panel (its layout, dragging and snapping) and the picture-box progress bar
// (its drawing, caption and time estimate).
#include "controls/picture_box.h"
#include "controls/progress_bar2.h"
#include "controls/splitter_panel.h"

#include <QHBoxLayout>
#include <QSignalSpy>
#include <QtTest>

namespace {

// Drags the panel's bar with the left button so that its middle ends at pixel target
// along the split.
void dragBar(ctlSplitterPanel &panel, int target)
{
    QWidget *bar = panel.splitBar();
    const bool stacked = panel.Horizontal();
    const QPoint grip(bar->width() / 2, bar->height() / 2);
    QTest::mousePress(bar, Qt::LeftButton, {}, grip);
    const int from = stacked ? bar->y() + grip.y() : bar->x() + grip.x();
    const QPoint to = stacked ? QPoint(grip.x(), grip.y() + target - from) : QPoint(grip.x() + target - from, grip.y());
    QMouseEvent move(QEvent::MouseMove, to, bar->mapToGlobal(to), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(bar, &move);
    QTest::mouseRelease(bar, Qt::LeftButton, {}, bar->mapFromParent(panel.mapFromGlobal(bar->mapToGlobal(grip))));
}

} // namespace

class TestPanelProgress : public QObject
{
    Q_OBJECT
private slots:
    void splitterLayout();
    void splitterDragAndSnap_data();
    void splitterDragAndSnap();
    void splitterProperties();
    void splitterShownOnForm();
    void splitterSnapThreshold_data();
    void splitterSnapThreshold();
    void progressDrawing();
    void progressEdges_data();
    void progressEdges();
    void progressRefusals();
    void durations();
    void estimates();
};

void TestPanelProgress::splitterLayout()
{
    SplitterInput in;
    in.surfaceWidth = 9000;
    in.surfaceHeight = 3000;
    SplitterLayout out = LayOutSplitter(in);
    QCOMPARE(out.bar, QRect(2963, 0, 75, 3000));
    QCOMPARE(out.control1, QRect(0, 0, 2963, 3000));
    QCOMPARE(out.control2, QRect(3038, 0, 9000 - 3038, 3000));
    in.surfaceWidth = 3000;                 // no room for two panes of 2000
    QCOMPARE(LayOutSplitter(in).position, 1500);
    in.surfaceWidth = 9000;
    in.position = 8500;                     // the second pane keeps its minimum
    QCOMPARE(LayOutSplitter(in).position, 7000);
    in.position = 9000 - 75;
    in.snapped = 2;
    out = LayOutSplitter(in);
    QCOMPARE(out.position, 9000 - 37);
    QVERIFY(!out.control2Visible && out.control1Visible);
    in.horizontal = true;                   // stacked: the bar lies across
    in.snapped = 0;
    in.position = 1000;
    in.surfaceHeight = 8000;
    out = LayOutSplitter(in);
    QCOMPARE(out.bar, QRect(0, 2000 - 37, 9000, 75));
    in.surfaceWidth = in.surfaceHeight = 40;   // smaller than the bar: nothing below 1
    out = LayOutSplitter(in);
    for (const QRect &r : {out.control1, out.bar, out.control2})
        QVERIFY(r.width() >= 1 && r.height() >= 1);
}

void TestPanelProgress::splitterDragAndSnap_data()
{
    QTest::addColumn<bool>("stacked");
    QTest::newRow("side by side") << false;
    QTest::newRow("stacked") << true;
}

void TestPanelProgress::splitterDragAndSnap()
{
    QFETCH(bool, stacked);
    QWidget form;
    ctlSplitterPanel panel(&form);
    panel.setGeometry(0, 0, 600, 600);      // 9000 twips each way
    QWidget first, second;
    panel.setControl1(&first);
    panel.setControl2(&second);
    panel.setHorizontal(stacked);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QCOMPARE(panel.splitBar()->cursor().shape(), stacked ? Qt::SizeVerCursor : Qt::SizeHorCursor);
    QSignalSpy changes(&panel, &ctlSplitterPanel::Change);

    dragBar(panel, 300);                    // to the middle: the panes follow on release
    QCOMPARE(panel.Position(), 4500);
    QCOMPARE(stacked ? first.height() : first.width(), 300 - 2);
    QVERIFY(!changes.isEmpty());
    QCOMPARE(changes.last().at(0).toInt(), 4500);

    dragBar(panel, 20);                     // near the start, snapping off: the minimum
    QCOMPARE(panel.Position(), 2000);
    QCOMPARE(panel.Snapped(), 0);

    panel.setSnapToEdge(true);
    dragBar(panel, 20);                     // 300 twips from the start: first pane collapses
    QCOMPARE(panel.Snapped(), 1);
    QCOMPARE(panel.Position(), 0);
    QVERIFY(first.isHidden() && second.isVisible());
    dragBar(panel, 600 - 20);               // near the end: second pane collapses
    QCOMPARE(panel.Snapped(), 2);
    QCOMPARE(panel.Position(), 9000 - 37);
    QVERIFY(second.isHidden() && first.isVisible());

    // Snapping turned off again: the next drag leaves no pane collapsed.
    panel.setSnapToEdge(false);
    dragBar(panel, 300);
    QCOMPARE(panel.Snapped(), 0);
    QVERIFY(first.isVisible() && second.isVisible());
}

void TestPanelProgress::splitterProperties()
{
    ctlSplitterPanel panel;
    panel.resize(600, 200);
    QCOMPARE(panel.Position(), 3000);
    panel.setSnapped(2);                    // without snapping it stays 0
    QCOMPARE(panel.Snapped(), 0);
    panel.setSnapToEdge(true);
    panel.setSnapped(1);
    QCOMPARE(panel.Position(), 0);
    panel.setPosition(4000);                // a position clears the snap
    QCOMPARE(panel.Snapped(), 0);

    QSignalSpy changes(&panel, &ctlSplitterPanel::Change);
    panel.setBackColor(0x0000FF);           // recolours the bar without a new layout
    QCOMPARE(panel.splitBar()->palette().color(QPalette::Window), QColor(255, 0, 0));
    QCOMPARE(changes.count(), 0);

    panel.setHorizontal(true);
    panel.setSnapped(2);
    const QVariantMap bag = panel.WriteProperties();
    QCOMPARE(bag.size(), 7);
    ctlSplitterPanel loaded;
    loaded.resize(200, 600);
    loaded.ReadProperties(bag);
    QCOMPARE(loaded.WriteProperties(), bag);
    QCOMPARE(loaded.Snapped(), 2);
    QCOMPARE(loaded.Position(), 9000 - 37);
}

void TestPanelProgress::splitterShownOnForm()
{
    // Made on a form with the defaults and first shown 600 pixels (9000 twips) wide: the
    // bar's start is 3000 - 37 = 2963 twips, 198 pixels.
    QWidget form;
    ctlSplitterPanel *panel = new ctlSplitterPanel(&form);
    QWidget first, second;
    panel->setControl1(&first);
    panel->setControl2(&second);
    auto *layout = new QHBoxLayout(&form);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(panel);
    form.resize(600, 100);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QCOMPARE(panel->Position(), 3000);
    QCOMPARE(first.width(), 198);
    QCOMPARE(panel->splitBar()->x(), 198);
}

void TestPanelProgress::splitterSnapThreshold_data()
{
    // Minimum pane 2000 twips: the threshold is a quarter of it, 500 twips from either edge
    // of a 9000-twip panel; the position is the bar's start + 37.
    QTest::addColumn<int>("barStart");
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("snapped");
    QTest::newRow("499 from the start") << 462 << 0 << 1;
    QTest::newRow("500 from the start") << 463 << 500 << 0;
    QTest::newRow("501 from the start") << 464 << 501 << 0;
    QTest::newRow("8499") << 8462 << 8499 << 0;
    QTest::newRow("8500: 500 from the end") << 8463 << 8500 << 0;
    QTest::newRow("8501") << 8464 << 8925 << 2;
}

void TestPanelProgress::splitterSnapThreshold()
{
    QFETCH(int, barStart);
    QFETCH(int, position);
    QFETCH(int, snapped);
    const SplitterRelease release = ReleaseSplitter(barStart, 9000, 75, 2000, true);
    QCOMPARE(release.position, position);
    QCOMPARE(release.snapped, snapped);
}

void TestPanelProgress::progressDrawing()
{
    PictureBox box;
    box.resize(101, 20);
    ClsProgressBar2 bar;
    QVERIFY(bar.SetPictureBox(&box));
    QCOMPARE(box.image().pixel(50, 10), qRgb(255, 255, 255));
    bar.SetParamFast(0, 200, 0, false, 0);
    bar.setValue(50);
    QVERIFY(bar.ShowBar());
    // (0, 0)-(25, 20): black fill up to column 25, white beyond.
    QCOMPARE(box.image().pixel(25, 2), qRgb(0, 0, 0));
    QCOMPARE(box.image().pixel(26, 2), qRgb(255, 255, 255));
    bool captionDrawn = false;               // "25 %" in black around the middle
    for (int x = 40; x < 62; ++x)
        captionDrawn = captionDrawn || box.image().pixel(x, 10) != qRgb(255, 255, 255);
    QVERIFY(captionDrawn);

    box.cls();
    bar.setValue(50.2);                      // same pixel edge, same caption: nothing drawn
    QVERIFY(bar.ShowBar());
    QCOMPARE(box.image().pixel(5, 5), qRgb(255, 255, 255));

    bar.setValue(300);                       // beyond the range: not limited
    QVERIFY(bar.ShowBar());
    QCOMPARE(box.image().pixel(100, 2), qRgb(0, 0, 0));

    // Emptying from the left: at Min the whole picture is filled.
    ClsProgressBar2 emptying;
    PictureBox other;
    other.resize(50, 10);
    emptying.SetPictureBox(&other);
    emptying.SetParamFast(0, 10, 4, false, 0);
    emptying.setValue(0);
    QVERIFY(emptying.ShowBar());
    QCOMPARE(other.image().pixel(0, 0), qRgb(0, 0, 0));
    QCOMPARE(other.image().pixel(49, 9), qRgb(0, 0, 0));
    emptying.setValue(10);
    QVERIFY(emptying.ShowBar());
    QCOMPARE(other.image().pixel(1, 1), qRgb(255, 255, 255));
    QCOMPARE(other.image().pixel(48, 1), qRgb(255, 255, 255));

    // Caption mode 2 at Min in direction 0: edge 0 and no caption, so nothing is drawn.
    ClsProgressBar2 quiet;
    PictureBox third;
    third.resize(50, 10);
    quiet.SetPictureBox(&third);
    quiet.SetParamFast(0, 10, 0, false, 2);
    third.fillBox(0, 0, 49, 9, 0x00FF00);
    QVERIFY(quiet.ShowBar());
    QCOMPARE(third.image().pixel(10, 5), qRgb(0, 255, 0));
}

void TestPanelProgress::progressEdges_data()
{
    // A picture 100 pixels wide, no caption. The bar's corners are inclusive and round
    // halves to the even neighbour: 2.5 -> 2, 3.5 -> 4, 97.5 -> 98, 96.5 -> 96.
    QTest::addColumn<double>("max");
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("direction");
    QTest::addColumn<int>("lastBlack");
    QTest::addColumn<int>("firstWhite");
    QTest::newRow("2.5 from the left") << 1000.0 << 25.0 << 0 << 2 << 3;
    QTest::newRow("3.5 from the left") << 1000.0 << 35.0 << 0 << 4 << 5;
    QTest::newRow("97.5 from the right") << 1000.0 << 25.0 << 1 << 98 << 97;
    QTest::newRow("96.5 from the right") << 1000.0 << 35.0 << 1 << 96 << 95;
    QTest::newRow("far above the range, from the left") << 1.0 << 3e7 << 0 << 99 << -1;
    QTest::newRow("far above the range, from the right") << 1.0 << 3e7 << 1 << 0 << -1;
    QTest::newRow("far below the range") << 1.0 << -3e7 << 0 << 0 << 1;
}

void TestPanelProgress::progressEdges()
{
    QFETCH(double, max);
    QFETCH(double, value);
    QFETCH(int, direction);
    QFETCH(int, lastBlack);
    QFETCH(int, firstWhite);
    PictureBox box;
    box.resize(100, 10);
    ClsProgressBar2 bar;
    bar.SetPictureBox(&box);
    bar.SetParamFast(0, max, direction, false, 2);
    bar.setValue(value);
    QVERIFY(bar.ShowBar());
    QCOMPARE(box.image().pixel(lastBlack, 5), qRgb(0, 0, 0));
    if (firstWhite >= 0)
        QCOMPARE(box.image().pixel(firstWhite, 5), qRgb(255, 255, 255));
    else   // drawn full
        QCOMPARE(box.image().pixel(99 - lastBlack, 5), qRgb(0, 0, 0));
}

void TestPanelProgress::progressRefusals()
{
    ClsProgressBar2 bar;
    QVERIFY(!bar.ShowBar());                 // no picture box
    QObject notAPicture;
    QVERIFY(!bar.SetPictureBox(&notAPicture));
    PictureBox box;
    box.resize(40, 10);
    bar.SetPictureBox(&box);
    bar.SetParamFast(5, 5, 0, false, 0);     // an empty range is refused, nothing drawn
    box.fillBox(0, 0, 39, 9, 0x00FF00);
    QVERIFY(!bar.ShowBar());
    QCOMPARE(bar.lastError(), QStringLiteral("Division by zero"));
    QCOMPARE(box.image().pixel(0, 0), qRgb(0, 255, 0));
}

void TestPanelProgress::durations()
{
    const QList<QPair<qint64, QString>> cases = {
        {0, ""}, {-5, ""}, {1, "1 Seconds"}, {60, "1 Minute"}, {61, "1 Minute 1 Seconds"},
        {3661, "1 Hour 1 Minute"}, {7322, "2 Hours 2 Minutes"}, {90061, "1 Day 1 Hour"},
        {31536000 + 86400 + 3600, "1 Year 1 Day"}, {31536000 + 5 * 3600, "1 Year 5 Hours"},
        {2 * 31536000LL, "2 Years"}, {75, "1 Minute 15 Seconds"}};
    for (const auto &c : cases)
        QCOMPARE(ClsProgressBar2::FormatDuration(c.first), c.second);
}

void TestPanelProgress::estimates()
{
    double now = 86390;                      // ten seconds before midnight on a wall clock
    ClsProgressBar2 bar;
    bar.setClock([&now] { return now; });
    bar.SetParamFast(0, 100, 0, false, 0);
    bar.StartTimer();
    QCOMPARE(bar.CurrentTime(), QString());
    QCOMPARE(bar.Time2End(), QString());     // nothing done yet: no estimate
    now += 10.5;
    bar.setValue(25);
    QCOMPARE(bar.Time2End(), QStringLiteral("31 Seconds"));
    now += 64.9;                             // past midnight the elapsed time still counts
    QCOMPARE(bar.CurrentTime(), QStringLiteral("1 Minute 15 Seconds"));
}

QTEST_MAIN(TestPanelProgress)
#include "tst_panel_progress.moc"
