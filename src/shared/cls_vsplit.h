#pragma once
// A vertical splitter made of a plain push button (the bar) between controls on the left
// and controls on the right of one window.
//
// The user drags the bar sideways (only the bar moves while dragging); when the mouse
// button is released the bar is clamped into its allowed range and the controls on both
// sides are resized so that they meet the bar with fixed gaps: the left controls keep their
// left edge, the right controls keep their right edge.
//
// All numbers are twips (see twips.h). The bar and the controls must share one parent.
// When the window is resized the bar gets its top (0 when BarAtTop is set) and its height
// (FixedBarHeight when set, else the inner height minus its top minus 50) and is raised
// above its siblings; the controls themselves are placed by the window's own resize
// handling.

#include <QList>
#include <QObject>
#include <QPointer>

class QWidget;

// The pure clamp of a released bar (twips); later limits win over earlier ones.
qint32 ClampSplitBar(qint32 barLeft, qint32 windowWidth, qint32 leftCtrlLeft, qint32 rightCtrlLeft,
                     qint32 rightCtrlWidth, qint32 leftGap, qint32 rightGap,
                     qint32 leftClampExtra, qint32 rightClampExtra);
// Width of a left control that meets the bar (twips); negative means "leave it".
qint32 SplitLeftWidth(qint32 barLeft, qint32 ctrlLeft, qint32 leftGap);
// New left and width of a right control that keeps its right edge; width < 0 means "leave it".
struct SplitRightPlace {
    qint32 left = 0;
    qint32 width = 0;
};
SplitRightPlace SplitRightPlacement(qint32 barLeft, qint32 barWidth, qint32 rightGap, qint32 oldLeft,
                                    qint32 oldWidth);
// Height of the bar on a window resize (twips).
qint32 SplitBarHeight(qint32 fixedBarHeight, qint32 innerHeight, qint32 barTop);

class ClsVSplit : public QObject
{
    Q_OBJECT
public:
    static constexpr int MaxSideControls = 20;   // further controls per side

    explicit ClsVSplit(QObject *parent = nullptr);
    ~ClsVSplit() override;

    // Appends a further right / left control, then lays out. A 21st control on one side is
    // refused with std::out_of_range and nothing changes.
    void AddRightCtrl(QWidget *ctrl);
    void AddLeftCtrl(QWidget *ctrl);
    // Sets FixedBarHeight (twips; 0 = the bar's height follows the window).
    void SettaHeight(int height);
    // Binds the window and the bar (their events arrive here from now on), stores the first
    // left and right controls and the five numbers, empties both further lists, lays out.
    void init(QWidget *frm, QWidget *bar, QWidget *leftCtrl, QWidget *rightCtrl, int leftGap,
              int rightGap, int leftClampExtra, int rightClampExtra, int barAtTop);

    int FixedBarHeight() const { return m_fixedBarHeight; }
    QWidget *bar() const { return m_command; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void mCommand_MouseUp();
    void mFrm_Resize();
    void DoLayout();
    void mCommand_MouseMove(Qt::MouseButtons buttons, double x);
    void unbind();

    QPointer<QWidget> m_frm;
    QPointer<QWidget> m_command;
    QPointer<QWidget> m_leftCtrl;
    QPointer<QWidget> m_rightCtrl;
    int m_rightGap = 0;
    int m_leftGap = 0;
    int m_leftClampExtra = 0;
    int m_rightClampExtra = 0;
    int m_barAtTop = 0;
    int m_fixedBarHeight = 0;
    QList<QPointer<QWidget>> m_rightCtrls;
    QList<QPointer<QWidget>> m_leftCtrls;
};
