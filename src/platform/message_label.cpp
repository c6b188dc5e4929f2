#include "platform/message_label.h"

#include <QApplication>
#include <QClipboard>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>

#include <algorithm>
#include <cmath>

namespace {

// The widest a label makes itself of its own accord, in average characters.
constexpr int PreferredCharacters = 60;

} // namespace

MessageLabel::MessageLabel(const QString &text, QWidget *parent)
    : QLabel(parent)
{
    setObjectName(QStringLiteral("Prompt"));
    setTextFormat(Qt::PlainText);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setText(text);
    setWordWrap(true);
    setFocusPolicy(Qt::ClickFocus);
    setCursor(Qt::IBeamCursor);
}

int MessageLabel::unwrappedWidth() const
{
    const QFontMetricsF metrics(font());
    qreal widest = 0;
    for (const QString &line : text().split(QLatin1Char('\n')))
        widest = std::max(widest, metrics.horizontalAdvance(line));
    return int(std::ceil(widest)) + horizontalChrome();
}

int MessageLabel::preferredWidth() const
{
    return std::min(unwrappedWidth(), fontMetrics().averageCharWidth() * PreferredCharacters);
}

QSize MessageLabel::sizeHint() const
{
    const int width = preferredWidth();
    return {width, heightForWidth(width)};
}

QSize MessageLabel::minimumSizeHint() const
{
    const int width = preferredWidth();
    return {width, heightForWidth(std::max(width, minimumWidth()))};
}

int MessageLabel::heightForWidth(int width) const
{
    const qsizetype count = lines(width - horizontalChrome()).size();
    return int(std::ceil(count * QFontMetricsF(font()).lineSpacing())) + verticalChrome();
}

QString MessageLabel::selectedText() const
{
    return text().mid(selectionStart(), selectionEnd() - selectionStart());
}

void MessageLabel::selectAll()
{
    select(0, text().size());
}

void MessageLabel::copy() const
{
    const QString selected = selectedText();
    QApplication::clipboard()->setText(selected.isEmpty() ? text() : selected);
}

bool MessageLabel::event(QEvent *event)
{
    // Copy and Select All belong to the label while it has the focus, not to a shortcut of
    // its window.
    if (event->type() == QEvent::ShortcutOverride) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->matches(QKeySequence::Copy) || key->matches(QKeySequence::SelectAll)) {
            event->accept();
            return true;
        }
    }
    return QLabel::event(event);
}

void MessageLabel::paintEvent(QPaintEvent *event)
{
    const QRect inner = textRect();
    if (selectionStart() == selectionEnd() && !wraps(inner.width()))
        QLabel::paintEvent(event);
    else
        paintLines(inner);
    // The keyboard focus is shown the way the style shows it on other controls.
    if (hasFocus()) {
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.backgroundColor = palette().color(backgroundRole());
        QPainter painter(this);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
    }
}

void MessageLabel::paintLines(const QRect &inner)
{
    QPainter painter(this);
    const QPalette::ColorGroup group = isEnabled() ? QPalette::Active : QPalette::Disabled;
    const QFontMetricsF metrics(font());
    const QString all = text();
    const qsizetype from = selectionStart();
    const qsizetype to = selectionEnd();
    qreal top = inner.top();
    for (const Span &line : lines(inner.width())) {
        const qreal baseline = top + metrics.ascent();
        painter.setPen(palette().color(group, foregroundRole()));
        painter.drawText(QPointF(inner.left(), baseline), all.mid(line.start, line.length));
        const qsizetype a = std::max(from, line.start);
        const qsizetype b = std::min(to, line.start + line.length);
        if (a < b) {
            const qreal x = inner.left() + metrics.horizontalAdvance(all.mid(line.start, a - line.start));
            const QString part = all.mid(a, b - a);
            painter.fillRect(QRectF(x, top, metrics.horizontalAdvance(part), metrics.lineSpacing()),
                             palette().color(group, QPalette::Highlight));
            painter.setPen(palette().color(group, QPalette::HighlightedText));
            painter.drawText(QPointF(x, baseline), part);
        }
        top += metrics.lineSpacing();
    }
}

void MessageLabel::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QLabel::mousePressEvent(event);
        return;
    }
    const qsizetype at = positionAt(event->position().toPoint());
    select(event->modifiers() & Qt::ShiftModifier ? m_anchor : at, at);
}

void MessageLabel::mouseMoveEvent(QMouseEvent *event)
{
    if (event->buttons() & Qt::LeftButton)
        select(m_anchor, positionAt(event->position().toPoint()));
}

void MessageLabel::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    // The word under the pointer: up to the blanks or line ends around it.
    const QString all = text();
    const qsizetype at = positionAt(event->position().toPoint());
    const auto isBreak = [](QChar c) { return c.isSpace(); };
    qsizetype start = at;
    while (start > 0 && !isBreak(all.at(start - 1)))
        --start;
    qsizetype end = at;
    while (end < all.size() && !isBreak(all.at(end)))
        ++end;
    select(start, end);
}

void MessageLabel::keyPressEvent(QKeyEvent *event)
{
    if (event->matches(QKeySequence::Copy)) {
        copy();
        return;
    }
    if (event->matches(QKeySequence::SelectAll)) {
        selectAll();
        return;
    }
    const qsizetype size = text().size();
    const bool extend = event->modifiers() & Qt::ShiftModifier;
    qsizetype to = m_cursor;
    switch (event->key()) {
    case Qt::Key_Left: to = std::max<qsizetype>(0, m_cursor - 1); break;
    case Qt::Key_Right: to = std::min(size, m_cursor + 1); break;
    case Qt::Key_Home: to = 0; break;
    case Qt::Key_End: to = size; break;
    default:
        // Enter, Escape and the rest are the window's.
        QLabel::keyPressEvent(event);
        return;
    }
    select(extend ? m_anchor : to, to);
}

QRect MessageLabel::textRect() const
{
    return contentsRect().marginsRemoved(QMargins(margin(), margin(), margin(), margin()));
}

int MessageLabel::horizontalChrome() const
{
    const QMargins m = contentsMargins();
    return m.left() + m.right() + 2 * (frameWidth() + margin());
}

int MessageLabel::verticalChrome() const
{
    const QMargins m = contentsMargins();
    return m.top() + m.bottom() + 2 * (frameWidth() + margin());
}

bool MessageLabel::wraps(int width) const
{
    return unwrappedWidth() - horizontalChrome() > width;
}

QList<MessageLabel::Span> MessageLabel::lines(int width) const
{
    const QString all = text();
    const QFontMetricsF metrics(font());
    const auto fits = [&](qsizetype start, qsizetype length) {
        return metrics.horizontalAdvance(all.mid(start, length)) <= std::max(width, 1);
    };
    QList<Span> lines;
    qsizetype paragraph = 0;
    for (;;) {
        qsizetype paragraphEnd = all.indexOf(QLatin1Char('\n'), paragraph);
        if (paragraphEnd < 0)
            paragraphEnd = all.size();
        Span line{paragraph, -1};   // no word on it yet
        for (qsizetype word = paragraph; word <= paragraphEnd;) {
            qsizetype wordEnd = all.indexOf(QLatin1Char(' '), word);
            if (wordEnd < 0 || wordEnd > paragraphEnd)
                wordEnd = paragraphEnd;
            const bool started = line.length >= 0;
            if (fits(started ? line.start : word, wordEnd - (started ? line.start : word))) {
                line = {started ? line.start : word, wordEnd - (started ? line.start : word)};
            } else {
                if (started)
                    lines.append(line);
                qsizetype rest = word;
                while (!fits(rest, wordEnd - rest)) {
                    qsizetype n = 1;
                    while (n < wordEnd - rest && fits(rest, n + 1))
                        ++n;
                    if (n > 1 && n < wordEnd - rest && all.at(rest + n).isLowSurrogate())
                        --n;   // a character in two halves stays whole
                    // A path is better read broken after a folder's name.
                    const QStringView piece = QStringView(all).mid(rest, n);
                    const qsizetype slash = std::max(piece.lastIndexOf(QLatin1Char('/')), piece.lastIndexOf(QLatin1Char('\\')));
                    if (slash > 0)
                        n = slash + 1;
                    lines.append({rest, n});
                    rest += n;
                }
                line = {rest, wordEnd - rest};
            }
            word = wordEnd + 1;
        }
        lines.append({line.start, std::max<qsizetype>(line.length, 0)});
        if (paragraphEnd >= all.size())
            break;
        paragraph = paragraphEnd + 1;
    }
    return lines;
}

qsizetype MessageLabel::positionAt(const QPoint &point) const
{
    const QRect inner = textRect();
    const QFontMetricsF metrics(font());
    const QList<Span> shown = lines(inner.width());
    const qsizetype row = std::clamp<qsizetype>(qsizetype((point.y() - inner.top()) / metrics.lineSpacing()), 0,
                                                shown.size() - 1);
    const Span line = shown.at(row);
    const QString all = text();
    const qreal x = point.x() - inner.left();
    qsizetype best = 0;
    qreal bestDistance = std::abs(x);
    for (qsizetype i = 1; i <= line.length; ++i) {
        const qreal distance = std::abs(metrics.horizontalAdvance(all.mid(line.start, i)) - x);
        if (distance < bestDistance) {
            best = i;
            bestDistance = distance;
        }
    }
    return line.start + best;
}

void MessageLabel::select(qsizetype anchor, qsizetype cursor)
{
    m_selectedIn = text();
    m_anchor = anchor;
    m_cursor = cursor;
    update();
}

// A selection made in a text since replaced selects nothing.
qsizetype MessageLabel::selectionStart() const
{
    return m_selectedIn == text() ? std::min(m_anchor, m_cursor) : 0;
}

qsizetype MessageLabel::selectionEnd() const
{
    return m_selectedIn == text() ? std::max(m_anchor, m_cursor) : 0;
}
