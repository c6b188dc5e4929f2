#include "webtools/page_inputs.h"

#include "platform/webbrowser.h"

#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPointer>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineScript>

#include <memory>

namespace {

const char *const kReadScript = R"JS(
(function () {
    // Shown: laid out on the page (no hidden element around it) and not made invisible.
    function shown(el) {
        if (el.getClientRects().length === 0)
            return false;
        var view = el.ownerDocument.defaultView;
        var style = view ? view.getComputedStyle(el) : null;
        return !style || (style.visibility !== 'hidden' && style.visibility !== 'collapse');
    }
    function input(el) {
        return { tag: 'INPUT', type: el.getAttribute('type') || '', name: el.getAttribute('name') || '',
                 value: el.value == null ? '' : String(el.value), shown: shown(el) };
    }
    var out = [];
    var all = document.getElementsByTagName('*');
    for (var i = 0; i < all.length; i++) {
        var el = all[i];
        var tag = String(el.tagName).toUpperCase();
        if (tag === 'INPUT') {
            out.push(input(el));
        } else if (tag === 'FRAME') {
            var frame = { tag: 'FRAME', inputs: [] };
            try {
                var doc = el.contentDocument;
                if (doc) {
                    var inner = doc.getElementsByTagName('*');
                    for (var j = 0; j < inner.length; j++)
                        if (String(inner[j].tagName).toUpperCase() === 'INPUT')
                            frame.inputs.push(input(inner[j]));
                }
            } catch (e) {}
            out.push(frame);
        } else if (tag.indexOf('FORM') >= 0) {
            out.push({ tag: tag });
        }
    }
    return JSON.stringify(out);
})()
)JS";

const char *const kFillScript = R"JS(
(function (rows) {
    var written = 0;
    function put(el, value) {
        if (!('value' in el))
            return;
        el.value = value;
        el.dispatchEvent(new Event('input', { bubbles: true }));
        el.dispatchEvent(new Event('change', { bubbles: true }));
        written++;
    }
    function fillNamed(elements, row) {
        for (var i = 0; i < elements.length; i++)
            if (elements[i].getAttribute && elements[i].getAttribute('name') === row.name)
                put(elements[i], row.value);
    }
    var frames = [];
    var all = document.getElementsByTagName('*');
    for (var i = 0; i < all.length; i++)
        if (String(all[i].tagName).toUpperCase() === 'FRAME')
            frames.push(all[i]);
    rows.forEach(function (row) {
        if (frames.length > 0) {
            frames.forEach(function (frame) {
                try {
                    var doc = frame.contentDocument;
                    if (doc)
                        fillNamed(doc.getElementsByTagName('*'), row);
                } catch (e) {}
            });
        } else if (row.form >= 1 && row.form <= document.forms.length) {
            fillNamed(document.forms[row.form - 1].elements, row);
        }
    });
    return written;
})(%1)
)JS";

// Runs script in the browser's page and waits for its answer.
bool runScript(WebBrowser *browser, const QString &script, int timeoutMs, QVariant &answer)
{
    if (!browser)
        return false;
    struct State {
        bool done = false;
        QVariant value;
        QPointer<QEventLoop> loop;
    };
    auto state = std::make_shared<State>();
    QPointer<WebBrowser> guard(browser);
    QEventLoop loop;
    state->loop = &loop;
    browser->page()->runJavaScript(script, QWebEngineScript::ApplicationWorld, [state](const QVariant &value) {
        state->done = true;
        state->value = value;
        if (state->loop)
            state->loop->quit();
    });
    if (!state->done) {
        QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
        QObject::connect(browser, &QObject::destroyed, &loop, &QEventLoop::quit);
        loop.exec();
    }
    if (!state->done || !guard)
        return false;
    answer = state->value;
    return true;
}

PageElement elementOf(const QJsonObject &o)
{
    PageElement e;
    e.tag = o.value(QLatin1String("tag")).toString();
    e.type = o.value(QLatin1String("type")).toString();
    e.name = o.value(QLatin1String("name")).toString();
    e.value = o.value(QLatin1String("value")).toString();
    e.shown = o.value(QLatin1String("shown")).toBool(true);
    const QJsonArray inputs = o.value(QLatin1String("inputs")).toArray();
    for (const QJsonValue &input : inputs)
        e.frameInputs.append(elementOf(input.toObject()));
    return e;
}

} // namespace

namespace PageInputs {

QVector<PageElement> parse(const QByteArray &json)
{
    QVector<PageElement> elements;
    const QJsonArray all = QJsonDocument::fromJson(json).array();
    for (const QJsonValue &value : all)
        elements.append(elementOf(value.toObject()));
    return elements;
}

bool read(WebBrowser *browser, QVector<PageElement> &elements, int timeoutMs)
{
    QVariant answer;
    if (!runScript(browser, QString::fromLatin1(kReadScript), timeoutMs, answer))
        return false;
    elements = parse(answer.toString().toUtf8());
    return true;
}

int fill(WebBrowser *browser, const QVector<AccountRow> &rows, int timeoutMs)
{
    QJsonArray list;
    for (const AccountRow &row : rows)
        list.append(QJsonObject{{QStringLiteral("name"), row.fieldName},
                                {QStringLiteral("value"), row.fieldValue},
                                {QStringLiteral("form"), row.formNumber}});
    const QString json = QString::fromUtf8(QJsonDocument(list).toJson(QJsonDocument::Compact));
    QVariant answer;
    if (!runScript(browser, QString::fromLatin1(kFillScript).arg(json), timeoutMs, answer))
        return -1;
    return answer.toInt();
}

} // namespace PageInputs
