#pragma once
// A panel that lays two controls out side by side, or stacked, with a bar between them that
// the user drags with the left mouse button. With snapping on, releasing the bar close to
// an edge collapses the pane there and hides its control. Lengths are twips; the panel
// keeps its settings in a property bag that its host stores.

#include "controls/picture_box.h"
#include "controls/splitter_layout.h"

#include <QPointer>
#include <QVariantMap>
#include <QWidget>

class ctlSplitterPanel : public QWidget
{
    Q_OBJECT
public:
    explicit ctlSplitterPanel(QWidget *parent = nullptr);
    ~ctlSplitterPanel() override;

    QWidget *Control1() const { return m_control1; }
    void setControl1(QWidget *control);
    QWidget *Control2() const { return m_control2; }
    void setControl2(QWidget *control);
    int MinPanelSize() const { return m_minPanelSize; }
    void setMinPanelSize(int twips);
    bool Horizontal() const { return m_horizontal; }
    void setHorizontal(bool stacked);
    bool SnapToEdge() const { return m_snapToEdge; }
    void setSnapToEdge(bool snap);
    int SplitterWidth() const { return m_splitterWidth; }
    void setSplitterWidth(int twips);
    int Position() const { return m_position; }
    void setPosition(int twips);
    VbColor BackColor() const { return m_backColor; }
    void setBackColor(VbColor colour);
    VbColor DragColor() const { return m_dragColor; }
    void setDragColor(VbColor colour);
    int Snapped() const { return m_snapped; }
    void setSnapped(int value);

    // The stored properties: read when the host loads, written when it saves.
    void ReadProperties(const QVariantMap &bag);
    QVariantMap WriteProperties() const;

    // The bar, for hosts and tests that look at it.
    QWidget *splitBar() const { return m_pbSplit; }
    bool dragging() const { return m_dragging; }

signals:
    // After every layout, with the split position.
    void Change(int position);
    // A stored property was changed and must be saved again.
    void propertyChanged(const QString &name);

protected:
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void InitProperties();
    void layOut();
    void paintBar(VbColor colour);
    int surfaceLength() const;   // twips along the split

    QPointer<QWidget> m_control1;
    QPointer<QWidget> m_control2;
    QWidget *m_pbSplit = nullptr;
    int m_minPanelSize = 2000;
    bool m_horizontal = false;
    bool m_snapToEdge = false;
    int m_splitterWidth = 75;
    int m_position = 3000;
    VbColor m_backColor = SysColor::ButtonFace;
    VbColor m_dragColor = SysColor::ButtonText;
    int m_snapped = 0;
    bool m_dragging = false;
    double m_barStart = 0;   // twips, while dragging
};
