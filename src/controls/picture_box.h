#pragma once
// A drawing surface with a persistent image, as the spare components draw on it: colours
// are classic 32-bit values (0x00BBGGRR, or 0x800000nn for a system colour that is looked
// up in the palette when drawing), coordinates are pixels of the client area with both
// corners of a box included, and text is placed by its top-left corner.

#include <QColor>
#include <QImage>
#include <QWidget>

using VbColor = quint32;

// System colour references of the classic numbering.
namespace SysColor {
constexpr VbColor Window = 0x80000005;
constexpr VbColor WindowText = 0x80000008;
constexpr VbColor Highlight = 0x8000000D;
constexpr VbColor HighlightText = 0x8000000E;
constexpr VbColor ButtonFace = 0x8000000F;
constexpr VbColor ButtonShadow = 0x80000010;
constexpr VbColor ButtonText = 0x80000012;
constexpr VbColor ButtonHighlight = 0x80000014;
constexpr VbColor DarkShadow = 0x80000015;
}

// The colour a value stands for: an explicit 0x00BBGGRR colour, or the palette's colour
// for a system colour reference (an unknown index gives black).
QColor ResolveVbColor(VbColor value, const QPalette &palette);
// The explicit 0x00BBGGRR value of a colour.
VbColor ToVbColor(const QColor &colour);

class PictureBox : public QWidget
{
    Q_OBJECT
public:
    // How drawn pixels combine with the picture: 13 copies the pen, 10 is "not xor".
    enum DrawMode { NotXorPen = 10, CopyPen = 13 };

    explicit PictureBox(QWidget *parent = nullptr);

    VbColor backColor() const { return m_backColor; }
    // Sets the back colour and clears the picture to it.
    void setBackColor(VbColor colour);
    VbColor foreColor() const { return m_foreColor; }
    void setForeColor(VbColor colour) { m_foreColor = colour; }
    int drawMode() const { return m_drawMode; }
    void setDrawMode(int mode) { m_drawMode = mode; }

    int scaleWidth() const { return width(); }
    int scaleHeight() const { return height(); }
    double currentX() const { return m_currentX; }
    double currentY() const { return m_currentY; }
    void setCurrentPosition(double x, double y);

    // Clears the picture to the back colour; the print position goes back to (0, 0).
    void cls();
    // The outline of the box between two corners, both included.
    void outlineBox(int x1, int y1, int x2, int y2, VbColor colour);
    // The filled box between two corners, both included, combined by the draw mode.
    void fillBox(int x1, int y1, int x2, int y2, VbColor colour);
    // A line in the fore colour from (x, y) to the right, covering length pixels.
    void horizontalLine(int x, int y, int length);
    // Writes text in the fore colour with its top-left corner at the print position.
    void print(const QString &text);
    int textWidth(const QString &text) const;
    int textHeight(const QString &text) const;

    QColor resolve(VbColor colour) const { return ResolveVbColor(colour, palette()); }
    // The persistent picture, as shown.
    const QImage &image() const
    {
        const_cast<PictureBox *>(this)->fitImage();
        return m_image;
    }

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void fitImage();

    QImage m_image;
    VbColor m_backColor = 0x00FFFFFF;
    VbColor m_foreColor = 0;
    int m_drawMode = CopyPen;
    double m_currentX = 0;
    double m_currentY = 0;
};
