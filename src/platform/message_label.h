#pragma once
// A label that shows a text whole and exactly as given: a message of a box, a name or a path
// in a dialog. An "&" is an "&", not a keyboard shortcut, and no text is taken for markup.
// Where a line is wider than the label it wraps at blanks only, never at a "/" inside a path;
// a word wider than the label on its own, such as a long path, is broken where the line is
// full (after a "/" where there is one) instead of running out of sight. Its height follows
// its width. Its text can be selected with the mouse and the keyboard and copied, and it
// shows when it has the keyboard focus.

#include <QLabel>
#include <QList>

class MessageLabel : public QLabel
{
public:
    MessageLabel(const QString &text, QWidget *parent);

    // The width that shows every line of the text without wrapping.
    int unwrappedWidth() const;

    QString selectedText() const;
    void selectAll();
    // Puts the selected text on the clipboard, or the whole text when none is selected.
    void copy() const;

    // As wide as the text needs, but no wider than about 60 characters, where it wraps.
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    int heightForWidth(int width) const override;

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    // A line as shown: where it starts in the text and how many characters it has.
    struct Span {
        qsizetype start = 0;
        qsizetype length = 0;
    };

    // The width of both size hints.
    int preferredWidth() const;
    QRect textRect() const;
    // Paints the text line by line as lines() breaks it, the selection highlighted.
    void paintLines(const QRect &inner);
    int horizontalChrome() const;
    int verticalChrome() const;
    bool wraps(int width) const;
    // The lines the text stands in at width.
    QList<Span> lines(int width) const;
    // The place in the text nearest to point.
    qsizetype positionAt(const QPoint &point) const;
    void select(qsizetype anchor, qsizetype cursor);
    qsizetype selectionStart() const;
    qsizetype selectionEnd() const;

    qsizetype m_anchor = 0;
    qsizetype m_cursor = 0;
    QString m_selectedIn;   // the text the selection was made in
};
