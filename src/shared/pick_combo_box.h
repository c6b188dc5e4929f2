#pragma once
// An editable combo box that tells a pick from its list apart from typing. Qt makes an
// editable box choose the entry whose text equals the typed text when Enter is pressed or
// the focus moves away, and reports that as "activated"; picked() is emitted only when the
// user chooses an entry in the drop-down list or steps to one with the arrow keys or the
// mouse wheel.

#include <QComboBox>

class PickComboBox : public QComboBox
{
    Q_OBJECT
public:
    explicit PickComboBox(QWidget *parent = nullptr);

    void hidePopup() override;

signals:
    void picked(int index);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;

private:
    // Set while a choice from the list is on its way to "activated".
    bool m_picking = false;
};
