// Proportional re-layout of a window and the vertical splitter bar.

#include "shared/cls_vsplit.h"
#include "shared/form_relayout.h"
#include "shared/twips.h"

#include <QComboBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>
#include <QWidget>
#include <memory>
#include <stdexcept>

namespace {

// A window with a few absolutely placed controls; every window gets a name of its own
// because the geometry tables live for the whole process.
std::unique_ptr<QWidget> makeWindow(const QString &name, QSize size = QSize(600, 400))
{
    auto window = std::make_unique<QWidget>();
    window->setObjectName(name);
    window->resize(size);
    window->move(20, 20);
    return window;
}

QWidget *addControl(QWidget *window, const QString &name, QRect geometry)
{
    auto *w = new QWidget(window);
    w->setObjectName(name);
    w->setGeometry(geometry);
    return w;
}

void sendMouse(QWidget *target, QEvent::Type type, QPoint pos, Qt::MouseButton button, Qt::MouseButtons buttons)
{
    QMouseEvent event(type, QPointF(pos), QPointF(target->mapToGlobal(pos)), button, buttons, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &event);
}

} // namespace

class TestLayout : public QObject
{
    Q_OBJECT
private slots:
    void scaleRatio_data();
    void scaleRatio();
    void optOutTag_data();
    void optOutTag();
    void resizeFormScalesControls();
    void resizeFormLeavesAlone();
    void resizeFormIgnoresReentrantCall();

    void clampSplitBar_data();
    void clampSplitBar();
    void splitBarHeight();
    void splitterDragAndRelease();
    void splitterFollowsWindowHeight();
    void splitterRefusesTwentyFirstControl();
};

void TestLayout::scaleRatio_data()
{
    QTest::addColumn<double>("inner");
    QTest::addColumn<int>("recorded");
    QTest::addColumn<int>("ratio");
    QTest::newRow("same") << 9000.0 << 9000 << 100;
    QTest::newRow("doubled") << 18000.0 << 9000 << 200;
    QTest::newRow("one and a half") << 13500.0 << 9000 << 150;
    QTest::newRow("100.9 percent is 100") << 9081.0 << 9000 << 100;
    QTest::newRow("nothing recorded") << 9000.0 << 0 << 0;
}

void TestLayout::scaleRatio()
{
    QFETCH(double, inner);
    QFETCH(int, recorded);
    QFETCH(int, ratio);
    QCOMPARE(ScaleRatio(inner, recorded), ratio);
}

void TestLayout::optOutTag_data()
{
    QTest::addColumn<QString>("tag");
    QTest::addColumn<bool>("optsOut");
    QTest::newRow("exact") << "Resize=N" << true;
    QTest::newRow("with more after it") << "Resize=No;other" << true;
    QTest::newRow("further in") << "xResize=N" << false;
    QTest::newRow("other case") << "resize=n" << false;
}

void TestLayout::optOutTag()
{
    QFETCH(QString, tag);
    QFETCH(bool, optsOut);
    QCOMPARE(OptsOutOfRelayout(tag), optsOut);
}

void TestLayout::resizeFormScalesControls()
{
    auto window = makeWindow("ScaleForm", QSize(600, 400));
    QWidget *plain = addControl(window.get(), "plain", QRect(60, 40, 120, 80));
    QWidget *fixed = addControl(window.get(), "fixed", QRect(10, 10, 50, 50));
    fixed->setProperty("Tag", QStringLiteral("Resize=N"));
    QWidget *parked = addControl(window.get(), "parked", QRect(80, 100, 40, 40));
    auto *combo = new QComboBox(window.get());
    combo->setObjectName("combo");
    combo->setGeometry(100, 200, 100, 24);
    auto *first = addControl(window.get(), "arr", QRect(0, 300, 30, 30));
    first->setProperty("index", 0);
    auto *second = addControl(window.get(), "arr", QRect(100, 300, 30, 30));
    second->setProperty("index", 1);

    const qint32 controlsBefore = ControlRecordCount();
    ResizeForm(window.get());   // registers; everything stays
    QVERIFY(FindFormIndex(window.get()) >= 0);
    QCOMPARE(ControlRecordCount(), controlsBefore + 6);
    QCOMPARE(plain->geometry(), QRect(60, 40, 120, 80));

    QCOMPARE(UnwrapOffscreenPos(-2295), 72705);
    parked->move(parked->x() - twipsToPx(ParkOffset), parked->y());
    auto *late = addControl(window.get(), "late", QRect(5, 5, 10, 10));
    window->resize(1200, 600);
    ResizeForm(window.get());
    QCOMPARE(plain->geometry(), QRect(120, 60, 240, 120));
    QCOMPARE(fixed->geometry(), QRect(10, 10, 50, 50));
    QCOMPARE(parked->geometry(), QRect(160 - 5000, 150, 80, 60));
    QCOMPARE(combo->geometry(), QRect(200, 300, 200, 24));   // a combo box keeps its height
    QCOMPARE(first->x(), 0);
    QCOMPARE(second->x(), 200);                               // array members keep their own records
    QCOMPARE(late->geometry(), QRect(5, 5, 10, 10));          // made after registration: left alone

    // The records never change, so a return to the first size restores the first layout.
    window->resize(600, 400);
    ResizeForm(window.get());
    QCOMPARE(plain->geometry(), QRect(60, 40, 120, 80));
    QCOMPARE(parked->x(), 80 - 5000);
}

void TestLayout::resizeFormLeavesAlone()
{
    // A window far down the screen is not re-laid out.
    auto low = makeWindow("LowForm");
    QWidget *control = addControl(low.get(), "c", QRect(60, 40, 120, 80));
    ResizeForm(low.get());
    low->move(20, 30000 / TwipsPerPixel);
    low->resize(1200, 800);
    ResizeForm(low.get());
    QCOMPARE(control->geometry(), QRect(60, 40, 120, 80));

    // A window without inner size is neither registered nor re-laid out, so a later normal
    // size still scales against a real record.
    auto empty = makeWindow("EmptyForm", QSize(0, 0));
    QWidget *c2 = addControl(empty.get(), "c", QRect(10, 10, 20, 20));
    ResizeForm(empty.get());
    QCOMPARE(FindFormIndex(empty.get()), -1);
    QCOMPARE(ScaleRatioX(empty.get()), 0);
    empty->resize(300, 300);
    ResizeForm(empty.get());
    empty->resize(600, 600);
    ResizeForm(empty.get());
    QCOMPARE(c2->geometry(), QRect(20, 20, 40, 40));
}

void TestLayout::resizeFormIgnoresReentrantCall()
{
    auto window = makeWindow("ReentryForm");
    QWidget *a = addControl(window.get(), "a", QRect(10, 10, 100, 100));
    QWidget *b = addControl(window.get(), "b", QRect(200, 10, 100, 100));
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    ResizeForm(window.get());

    // A control whose resize handling asks for a re-layout of the window while one runs.
    struct Reenter : QObject {
        QWidget *window = nullptr;
        int calls = 0;
        bool eventFilter(QObject *, QEvent *e) override
        {
            if (e->type() == QEvent::Resize) {
                ++calls;
                ResizeForm(window);
            }
            return false;
        }
    } reenter;
    reenter.window = window.get();
    a->installEventFilter(&reenter);
    window->resize(1200, 800);
    ResizeForm(window.get());
    QCOMPARE(reenter.calls, 1);
    QCOMPARE(a->geometry(), QRect(20, 20, 200, 200));
    QCOMPARE(b->geometry(), QRect(400, 20, 200, 200));
}

void TestLayout::clampSplitBar_data()
{
    // The main window's numbers: gaps 10, clamp extras 5; tree at 0, page from 3000 to 9000.
    QTest::addColumn<int>("released");
    QTest::addColumn<int>("windowWidth");
    QTest::addColumn<int>("clamped");
    QTest::newRow("inside") << 4000 << 12000 << 4000;
    QTest::newRow("left of the tree") << -300 << 12000 << 15;
    QTest::newRow("near the page's right edge") << 8990 << 12000 << 8985;
    QTest::newRow("past the window's edge") << 11800 << 9300 << 8800;
    QTest::newRow("narrow window wins over the minimum") << 300 << 600 << 100;
}

void TestLayout::clampSplitBar()
{
    QFETCH(int, released);
    QFETCH(int, windowWidth);
    QFETCH(int, clamped);
    QCOMPARE(ClampSplitBar(released, windowWidth, 0, 3000, 6000, 10, 10, 5, 5), clamped);
}

void TestLayout::splitBarHeight()
{
    QCOMPARE(SplitBarHeight(0, 5000, 120), 4830);
    QCOMPARE(SplitBarHeight(3000, 5000, 120), 3000);
}

void TestLayout::splitterDragAndRelease()
{
    auto window = makeWindow("SplitForm", QSize(1000, 500));
    QWidget *tree = addControl(window.get(), "tree", QRect(0, 0, 150, 400));
    auto *bar = new QPushButton(window.get());
    bar->setGeometry(160, 0, 6, 400);
    QWidget *page = addControl(window.get(), "page", QRect(170, 0, 700, 400));
    auto *extraRight = addControl(window.get(), "extraRight", QRect(400, 410, 300, 20));

    ClsVSplit split;
    split.init(window.get(), bar, tree, page, 10, 10, 5, 5, 0);
    // init lays out: the tree meets the bar, the page keeps its right edge.
    QCOMPARE(tree->width(), 160 - 1);
    QCOMPARE(page->x(), 160 + 6 + 1);
    QCOMPARE(page->x() + page->width(), 870);
    split.AddRightCtrl(extraRight);
    QCOMPARE(extraRight->x() + extraRight->width(), 700);

    // A drag with the right button does not move the bar.
    sendMouse(bar, QEvent::MouseMove, QPoint(30, 5), Qt::NoButton, Qt::RightButton);
    QCOMPARE(bar->x(), 160);
    // With the left button only the bar follows the pointer.
    sendMouse(bar, QEvent::MouseMove, QPoint(40, 5), Qt::NoButton, Qt::LeftButton);
    QCOMPARE(tree->width(), 159);
    // Release: the controls meet the bar.
    sendMouse(bar, QEvent::MouseButtonRelease, QPoint(0, 5), Qt::LeftButton, Qt::NoButton);
    QCOMPARE(bar->x(), 200);
    QCOMPARE(tree->width(), 199);
    QCOMPARE(page->x(), 207);
    QCOMPARE(page->x() + page->width(), 870);
    QCOMPARE(extraRight->x(), 207);
    QCOMPARE(extraRight->x() + extraRight->width(), 700);

    // Dragged past the page's right edge: clamped 15 twips (1 px) inside it.
    sendMouse(bar, QEvent::MouseMove, QPoint(900, 5), Qt::NoButton, Qt::LeftButton);
    sendMouse(bar, QEvent::MouseButtonRelease, QPoint(0, 5), Qt::LeftButton, Qt::NoButton);
    QCOMPARE(bar->x(), 869);
    // The page would get a negative width: it keeps its place rather than collapse.
    QCOMPARE(page->x() + page->width(), 870);
    QVERIFY(page->width() >= 0);

    // Dragged far to the left: clamped 15 twips (1 px) right of the tree's left edge.
    sendMouse(bar, QEvent::MouseMove, QPoint(-2000, 5), Qt::NoButton, Qt::LeftButton);
    sendMouse(bar, QEvent::MouseButtonRelease, QPoint(0, 5), Qt::LeftButton, Qt::NoButton);
    QCOMPARE(bar->x(), 1);
    QCOMPARE(tree->width(), 0);
}

void TestLayout::splitterFollowsWindowHeight()
{
    auto window = makeWindow("SplitHeightForm", QSize(900, 500));
    QWidget *tree = addControl(window.get(), "tree", QRect(0, 20, 150, 400));
    auto *bar = new QPushButton(window.get());
    bar->setGeometry(160, 8, 6, 400);
    QWidget *page = addControl(window.get(), "page", QRect(170, 20, 700, 400));
    QWidget *cover = addControl(window.get(), "cover", QRect(150, 0, 40, 40));

    auto split = std::make_unique<ClsVSplit>();
    split->init(window.get(), bar, tree, page, 10, 10, 5, 5, 0);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    window->resize(900, 600);
    QTRY_COMPARE(bar->height(), 600 - 8 - 3);   // inner height - top - 50 twips (3 px)
    QCOMPARE(bar->y(), 8);
    // The bar is raised above the controls it crosses.
    QCOMPARE(window->childAt(162, 10), bar);
    QVERIFY(cover->isVisible());

    split->SettaHeight(4500);
    window->resize(900, 700);
    QTRY_COMPARE(bar->height(), 300);

    // A splitter that is gone no longer handles the window; one with the bar at the top does.
    split.reset();
    ClsVSplit atTop;
    atTop.init(window.get(), bar, tree, page, 10, 10, 5, 5, 1);
    window->resize(900, 650);
    QTRY_COMPARE(bar->geometry(), QRect(160, 0, 6, 650 - 3));
}

void TestLayout::splitterRefusesTwentyFirstControl()
{
    auto window = makeWindow("SplitLimitForm");
    auto *bar = new QPushButton(window.get());
    ClsVSplit split;
    split.init(window.get(), bar, nullptr, nullptr, 10, 10, 5, 5, 0);
    for (int i = 0; i < ClsVSplit::MaxSideControls; ++i) {
        split.AddRightCtrl(new QWidget(window.get()));
        split.AddLeftCtrl(new QWidget(window.get()));
    }
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, split.AddRightCtrl(new QWidget(window.get())));
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, split.AddLeftCtrl(new QWidget(window.get())));
}

QTEST_MAIN(TestLayout)
#include "tst_layout.moc"
