#pragma once
// The two colours of a Sub-Topic's page: the text colour (ColorLinks.color1) and the
// background colour (ColorLinks.color3), their text form and the fifteen preset schemes.
//
// A colour text is six hexadecimal digits, red pair first, then green, then blue, without
// "#". Colours are written with upper-case letters; texts in either case are read.

#include <QColor>
#include <QList>
#include <QString>
#include <QVariant>

struct ColourPreset {
    QString name;
    QString background;   // colour text of the page background
    QString text;         // colour text of the page text
};

// The preset schemes in the order of the list that offers them ("Aqua" to "Royal Blue").
const QList<ColourPreset> &ColourPresets();

// Reads a colour text: red from characters 1-2, green from characters 3-4, blue from the
// last two characters, each pair read as a hexadecimal number from its leading hexadecimal
// digits ("1g" reads 1; a pair that starts with another character reads 0).
QColor ReadColorText(const QString &text);
// Writes a colour as its text: each part as two upper-case hexadecimal digits.
QString WriteColorText(const QColor &colour);

// A colour value whose lowest byte is red, the next green and the next blue, as a web
// colour "#RRGGBB".
QString ColorToHtml(qint32 colourValue);
// Byte 1 (lowest) to 4 of a 32-bit value, split by truncating division; any other
// position gives an empty value.
QVariant GetByte(qint32 value, int position);
// A six-character colour text as a colour value whose lowest byte is red.
qint32 GetNormalColor(const QString &text);

// The stored colours of one Sub-Topic.
class ColourScheme
{
public:
    static const QLatin1String DefaultText;        // "bb99bb"
    static const QLatin1String DefaultAccent;      // "aa33ee" (color2, which no window edits)
    static const QLatin1String DefaultBackground;  // "8a2be2"

    explicit ColourScheme(qint32 subTopicId);

    // Reads the Sub-Topic's ColorLinks row. Answers false when there is no row (or it
    // could not be read); the colours then stay as they were.
    bool load();
    bool found() const { return m_found; }
    QColor textColour() const { return m_text; }
    QColor backgroundColour() const { return m_background; }

    // Stores both colours in color1 (text) and color3 (background); color2 is left as it
    // is. A Sub-Topic without a ColorLinks row gets one (with the default color2 and the
    // Sub-Topic's name). Answers false, changing nothing, when the edition could not be
    // written; lastError() says why.
    bool save(const QColor &text, const QColor &background, const QString &subTopicName);
    QString lastError() const { return m_error; }

private:
    qint32 m_subTopicId;
    bool m_found = false;
    QColor m_text;
    QColor m_background;
    QString m_error;
};
