#include "editing/link_drop.h"

#include "editing/edit_names.h"
#include "shared/routines.h"

#include <QDataStream>
#include <QIODevice>
#include <QMimeData>
#include <QRegularExpression>
#include <QTextDocumentFragment>
#include <QUrl>

namespace {

// The text of a link dragged out of a browser, as the drag carries it beside the address:
// the title line of "text/x-moz-url" ("<address>\n<title>" in UTF-16), else a plain text
// or the text of the dragged HTML that is not an address. "" when none is.
QString draggedLinkText(const QMimeData *data, const QString &address)
{
    QStringList candidates;
    const QByteArray moz = data->data(QStringLiteral("text/x-moz-url"));
    if (moz.size() >= 2) {
        const QString pair =
            QString::fromUtf16(reinterpret_cast<const char16_t *>(moz.constData()), moz.size() / 2);
        const QStringList lines = pair.split(QLatin1Char('\n'));
        if (lines.size() > 1)
            candidates.append(lines.at(1));
    }
    if (data->hasText())
        candidates.append(data->text());
    if (data->hasHtml())
        candidates.append(QTextDocumentFragment::fromHtml(data->html()).toPlainText());
    for (QString text : std::as_const(candidates)) {
        text.remove(QChar::ObjectReplacementCharacter).remove(QChar::Null);
        text = text.simplified();
        if (!text.isEmpty() && text != address && !LinkDrop::isWholeAddress(text))
            return text;
    }
    return QString();
}

} // namespace

QString LinkDrop::mimeType()
{
    return QStringLiteral("application/x-quorvane-link");
}

QMimeData *LinkDrop::dragData(const QString &name, const QString &address)
{
    QByteArray encoded;
    {
        QDataStream out(&encoded, QIODevice::WriteOnly);
        out << name << address;
    }
    auto *data = new QMimeData;
    data->setData(mimeType(), encoded);
    data->setText(name + QLatin1Char(',') + address);
    return data;
}

bool LinkDrop::isWholeAddress(const QString &text)
{
    static const QRegularExpression address(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*://\\S*$"));
    return address.match(text).hasMatch();
}

void LinkDrop::splitLinkText(const QString &text, QString &name, QString &address)
{
    const qsizetype comma = text.indexOf(QLatin1Char(','));
    if (comma < 0) {
        name.clear();
        address = text;
        return;
    }
    name = text.left(comma);
    address = text.mid(comma + 1);
}

LinkDrop::Dropped LinkDrop::read(const QMimeData *data)
{
    Dropped dropped;
    if (!data)
        return dropped;

    if (data->hasFormat(mimeType())) {
        QByteArray encoded = data->data(mimeType());
        QDataStream in(&encoded, QIODevice::ReadOnly);
        in >> dropped.name >> dropped.address;
        if (in.status() == QDataStream::Ok) {
            dropped.hasText = true;
            dropped.fromProgram = true;
            dropped.text = dropped.name + QLatin1Char(',') + dropped.address;
            return dropped;
        }
        dropped = Dropped();
    }

    if (data->hasUrls()) {
        for (const QUrl &url : data->urls()) {
            if (url.isEmpty())
                continue;
            dropped.address = url.isLocalFile() ? url.toLocalFile() : url.toString();
            dropped.text = dropped.address;
            dropped.hasText = !dropped.address.isEmpty();
            dropped.linkText = draggedLinkText(data, dropped.address);
            return dropped;
        }
    }

    if (data->hasText()) {
        dropped.text = data->text().trimmed();
        dropped.hasText = !dropped.text.isEmpty();
        if (isWholeAddress(dropped.text))
            dropped.address = dropped.text;
        else
            splitLinkText(dropped.text, dropped.name, dropped.address);
    }
    return dropped;
}

LinkDrop::Check LinkDrop::prepare(QString &name, QString &address)
{
    address = address.trimmed();
    name = EditNames::CleanName(name);
    if (address.isEmpty())
        return Check::EmptyAddress;
    if (!ContainsTextChar(name))
        return Check::NoTextCharacter;
    if (EditNames::IsNumeric(name))
        return Check::Numeric;
    return Check::Ok;
}
