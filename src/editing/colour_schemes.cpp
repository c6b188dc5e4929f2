#include "editing/colour_schemes.h"

#include "editing/colour_models.h"
#include "shared/edit_sql.h"
#include "shared/database.h"

#include <QSqlQuery>

namespace {

// The value of the leading hexadecimal digits of text (0 when it starts with another
// character).
qint64 leadingHex(const QString &text)
{
    qint64 value = 0;
    for (const QChar c : text) {
        const int digit = QStringLiteral("0123456789abcdef").indexOf(c.toLower());
        if (digit < 0 || c.unicode() > 0x7f)
            break;
        value = value * 16 + digit;
        if (value > 0xffffffffLL)
            break;
    }
    return value;
}

QString hexPair(int value)
{
    return QStringLiteral("%1").arg(value & 0xff, 2, 16, QLatin1Char('0')).toUpper();
}

} // namespace

const QList<ColourPreset> &ColourPresets()
{
    static const QList<ColourPreset> presets = {
        {QStringLiteral("Aqua"), QStringLiteral("2299bb"), QStringLiteral("119999")},
        {QStringLiteral("Blue"), QStringLiteral("00ffff"), QStringLiteral("add8e6")},
        {QStringLiteral("Brown"), QStringLiteral("daa520"), QStringLiteral("deb887")},
        {QStringLiteral("Crimson"), QStringLiteral("dd4499"), QStringLiteral("ddbbdd")},
        {QStringLiteral("Gold"), QStringLiteral("ddaa00"), QStringLiteral("eee8aa")},
        {QStringLiteral("Green"), QStringLiteral("00ee99"), QStringLiteral("22bb88")},
        {QStringLiteral("Grey"), QStringLiteral("808080"), QStringLiteral("d3d3d3")},
        {QStringLiteral("Lime"), QStringLiteral("00ff00"), QStringLiteral("bbeebb")},
        {QStringLiteral("Mauve"), QStringLiteral("996699"), QStringLiteral("dd88ee")},
        {QStringLiteral("Olive"), QStringLiteral("bbbb00"), QStringLiteral("eeeebb")},
        {QStringLiteral("Orange"), QStringLiteral("ff7700"), QStringLiteral("deb887")},
        {QStringLiteral("Pink"), QStringLiteral("ff99aa"), QStringLiteral("ffcccc")},
        {QStringLiteral("Purple"), QStringLiteral("8a2be2"), QStringLiteral("bb99bb")},
        {QStringLiteral("Red"), QStringLiteral("ff0000"), QStringLiteral("ffcccc")},
        {QStringLiteral("Royal Blue"), QStringLiteral("0088ff"), QStringLiteral("bbccee")},
    };
    return presets;
}

QColor ReadColorText(const QString &text)
{
    // Every colour read from text passes through the colour model as its three bytes.
    cClrModels model;
    model.setRgbR(int(leadingHex(text.mid(0, 2))));
    model.setRgbG(int(leadingHex(text.mid(2, 2))));
    model.setRgbB(int(leadingHex(text.right(2))));
    return QColor(model.rgbR(), model.rgbG(), model.rgbB());
}

QString WriteColorText(const QColor &colour)
{
    return hexPair(colour.red()) + hexPair(colour.green()) + hexPair(colour.blue());
}

QString ColorToHtml(qint32 colourValue)
{
    const QString hex = QStringLiteral("%1").arg(quint32(colourValue) & 0xffffffu, 6, 16, QLatin1Char('0')).toUpper();
    return QLatin1Char('#') + hex.mid(4, 2) + hex.mid(2, 2) + hex.mid(0, 2);
}

QVariant GetByte(qint32 value, int position)
{
    const qint32 fourth = value / 16777216;
    qint32 rest = value % 16777216;
    const qint32 third = rest / 65536;
    rest %= 65536;
    const qint32 second = rest / 256;
    const qint32 first = rest % 256;
    switch (position) {
    case 1: return QVariant::fromValue(qint16(first));
    case 2: return QVariant::fromValue(qint16(second));
    case 3: return QVariant::fromValue(qint16(third));
    case 4: return QVariant::fromValue(qint16(fourth));
    default: return QVariant();
    }
}

qint32 GetNormalColor(const QString &text)
{
    return qint32(leadingHex(text.mid(4, 2) + text.mid(2, 2) + text.mid(0, 2)));
}

const QLatin1String ColourScheme::DefaultText("bb99bb");
const QLatin1String ColourScheme::DefaultAccent("aa33ee");
const QLatin1String ColourScheme::DefaultBackground("8a2be2");

ColourScheme::ColourScheme(qint32 subTopicId)
    : m_subTopicId(subTopicId)
{
}

bool ColourScheme::load()
{
    m_found = false;
    m_error.clear();
    if (!OpenCurrentDatabase(m_error))
        return false;
    QSqlQuery q(DbConnection());
    if (!EditSql::run(q,
                      QStringLiteral("SELECT color1, color3 FROM ColorLinks WHERE TopicId = ? ORDER BY rowid LIMIT 1"),
                      {m_subTopicId}, m_error))
        return false;
    if (!q.next())
        return false;
    m_text = ReadColorText(q.value(0).toString());
    m_background = ReadColorText(q.value(1).toString());
    m_found = true;
    return true;
}

bool ColourScheme::save(const QColor &text, const QColor &background, const QString &subTopicName)
{
    m_error.clear();
    if (!OpenCurrentDatabase(m_error))
        return false;
    const QString textColour = WriteColorText(text);
    const QString backColour = WriteColorText(background);

    QVariant rowid;   // stays null while the Sub-Topic has no row
    if (!EditSql::scalar(QStringLiteral("SELECT rowid FROM ColorLinks WHERE TopicId = ? ORDER BY rowid LIMIT 1"),
                         {m_subTopicId}, rowid, m_error))
        return false;

    const bool written =
        !rowid.isNull() ? EditSql::exec(QStringLiteral("UPDATE ColorLinks SET color1 = ?, color3 = ? WHERE rowid = ?"),
                                        {textColour, backColour, rowid}, m_error)
                        : EditSql::exec(QStringLiteral("INSERT INTO ColorLinks (TopicId, color1, color2, color3, "
                                                       "TopicName) VALUES (?, ?, ?, ?, ?)"),
                                        {m_subTopicId, textColour, QString(DefaultAccent), backColour, subTopicName},
                                        m_error);
    if (!written)
        return false;
    m_text = text;
    m_background = background;
    m_found = true;
    return true;
}
