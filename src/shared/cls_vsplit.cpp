#include "shared/cls_vsplit.h"

#include "shared/form_relayout.h"
#include "shared/twips.h"

#include <QEvent>
#include <QMouseEvent>
#include <QWidget>
#include <stdexcept>

namespace {

constexpr qint32 WindowEdgeReserve = 500;   // the bar stays this far from the window's right edge
constexpr qint32 BarBottomGap = 50;

qint32 twips(int px)
{
    return qint32(pxToTwips(px));
}

} // namespace

qint32 ClampSplitBar(qint32 barLeft, qint32 windowWidth, qint32 leftCtrlLeft, qint32 rightCtrlLeft,
                     qint32 rightCtrlWidth, qint32 leftGap, qint32 rightGap, qint32 leftClampExtra,
                     qint32 rightClampExtra)
{
    const qint32 limit = windowWidth - WindowEdgeReserve;
    const qint32 minimum = leftCtrlLeft + leftGap + leftClampExtra;
    const qint32 maximum = rightCtrlLeft + rightCtrlWidth - (rightClampExtra + rightGap);
    qint32 left = barLeft;
    if (left < minimum)
        left = minimum;
    if (left > maximum)
        left = maximum;
    if (left >= limit)
        left = limit;
    return left;
}

qint32 SplitLeftWidth(qint32 barLeft, qint32 ctrlLeft, qint32 leftGap)
{
    return barLeft - ctrlLeft - leftGap;
}

SplitRightPlace SplitRightPlacement(qint32 barLeft, qint32 barWidth, qint32 rightGap, qint32 oldLeft,
                                    qint32 oldWidth)
{
    SplitRightPlace p;
    p.left = barLeft + barWidth + rightGap;
    p.width = oldLeft + oldWidth - p.left;
    return p;
}

qint32 SplitBarHeight(qint32 fixedBarHeight, qint32 innerHeight, qint32 barTop)
{
    if (fixedBarHeight != 0)
        return fixedBarHeight;
    return innerHeight - barTop - BarBottomGap;
}

ClsVSplit::ClsVSplit(QObject *parent)
    : QObject(parent)
{
}

ClsVSplit::~ClsVSplit()
{
    unbind();
}

void ClsVSplit::AddRightCtrl(QWidget *ctrl)
{
    if (m_rightCtrls.size() >= MaxSideControls)
        throw std::out_of_range("Subscript out of range");
    m_rightCtrls.append(ctrl);
    DoLayout();
}

void ClsVSplit::AddLeftCtrl(QWidget *ctrl)
{
    if (m_leftCtrls.size() >= MaxSideControls)
        throw std::out_of_range("Subscript out of range");
    m_leftCtrls.append(ctrl);
    DoLayout();
}

void ClsVSplit::SettaHeight(int height)
{
    m_fixedBarHeight = height;
}

void ClsVSplit::init(QWidget *frm, QWidget *bar, QWidget *leftCtrl, QWidget *rightCtrl, int leftGap,
                     int rightGap, int leftClampExtra, int rightClampExtra, int barAtTop)
{
    unbind();
    m_frm = frm;
    m_command = bar;
    // The window's inner size changes with the widget that holds its controls.
    if (QWidget *container = frm ? ControlContainer(frm) : nullptr)
        container->installEventFilter(this);
    if (bar)
        bar->installEventFilter(this);
    m_leftCtrl = leftCtrl;
    m_rightCtrl = rightCtrl;
    m_leftGap = leftGap;
    m_rightGap = rightGap;
    m_leftClampExtra = leftClampExtra;
    m_rightClampExtra = rightClampExtra;
    m_barAtTop = barAtTop;
    m_rightCtrls.clear();
    m_leftCtrls.clear();
    DoLayout();
}

void ClsVSplit::unbind()
{
    if (m_frm) {
        if (QWidget *container = ControlContainer(m_frm))
            container->removeEventFilter(this);
    }
    if (m_command)
        m_command->removeEventFilter(this);
    m_frm = nullptr;
    m_command = nullptr;
}

bool ClsVSplit::eventFilter(QObject *watched, QEvent *event)
{
    if (m_command && watched == m_command) {
        if (event->type() == QEvent::MouseMove) {
            auto *me = static_cast<QMouseEvent *>(event);
            mCommand_MouseMove(me->buttons(), me->position().x());
        } else if (event->type() == QEvent::MouseButtonRelease) {
            mCommand_MouseUp();
        }
    } else if (m_frm && watched == ControlContainer(m_frm) && event->type() == QEvent::Resize) {
        mFrm_Resize();
    }
    return QObject::eventFilter(watched, event);
}

void ClsVSplit::mCommand_MouseMove(Qt::MouseButtons buttons, double x)
{
    // The bar follows the pointer; nothing else moves until the button is released.
    if (!m_command || !(buttons & Qt::LeftButton))
        return;
    m_command->move(m_command->x() + qRound(x), m_command->y());
}

void ClsVSplit::mCommand_MouseUp()
{
    if (!m_command || !m_frm)
        return;
    const qint32 windowWidth = twips(m_frm->frameGeometry().width());
    const qint32 leftLeft = m_leftCtrl ? twips(m_leftCtrl->x()) : 0;
    // Without a right control there is no right-hand limit but the window's edge.
    const qint32 rightLeft = m_rightCtrl ? twips(m_rightCtrl->x()) : windowWidth;
    const qint32 rightWidth = m_rightCtrl ? twips(m_rightCtrl->width()) : 0;
    const qint32 left = ClampSplitBar(twips(m_command->x()), windowWidth, leftLeft, rightLeft, rightWidth,
                                      m_leftGap, m_rightGap, m_leftClampExtra, m_rightClampExtra);
    m_command->move(twipsToPx(left), m_command->y());
    DoLayout();
}

void ClsVSplit::DoLayout()
{
    if (!m_command)
        return;
    const qint32 barLeft = twips(m_command->x());
    const qint32 barWidth = twips(m_command->width());

    auto placeLeft = [&](QWidget *ctrl) {
        if (!ctrl)
            return;
        const qint32 width = SplitLeftWidth(barLeft, twips(ctrl->x()), m_leftGap);
        if (width >= 0)
            ctrl->resize(twipsToPx(width), ctrl->height());
    };
    auto placeRight = [&](QWidget *ctrl) {
        if (!ctrl)
            return;
        const SplitRightPlace p = SplitRightPlacement(barLeft, barWidth, m_rightGap, twips(ctrl->x()),
                                                      twips(ctrl->width()));
        if (p.width < 0)
            return;
        // The right edge stays exactly where it was.
        const int right = ctrl->x() + ctrl->width();
        const int left = twipsToPx(p.left);
        ctrl->setGeometry(left, ctrl->y(), qMax(0, right - left), ctrl->height());
    };

    placeLeft(m_leftCtrl);
    for (const QPointer<QWidget> &ctrl : std::as_const(m_leftCtrls))
        placeLeft(ctrl);
    placeRight(m_rightCtrl);
    for (const QPointer<QWidget> &ctrl : std::as_const(m_rightCtrls))
        placeRight(ctrl);
    if (m_frm)
        m_frm->update();
}

void ClsVSplit::mFrm_Resize()
{
    if (!m_command || !m_frm)
        return;
    if (m_barAtTop != 0)
        m_command->move(m_command->x(), 0);
    const qint32 height = SplitBarHeight(m_fixedBarHeight, qint32(InnerHeightTwips(m_frm)),
                                         twips(m_command->y()));
    m_command->resize(m_command->width(), qMax(0, twipsToPx(height)));
    m_command->raise();
}
