#include "platform/registry.h"

#include "platform/settings.h"
#include "platform/whole_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringConverter>

#include <array>
#include <memory>
#include <vector>

// The file holds one section per key, "[<hive>\<path>]", in the order the keys were
// created (parents before children), each followed by its values:
//   "name"="text"        a text value (REG_SZ) with its terminating NUL
//   @="text"             the default value
//   "name"=dword:0000001a
//   "name"=hex:01,ff     raw bytes (REG_BINARY)
//   "name"=hex(7):..     raw bytes of any other type (the type in hexadecimal)
// Inside quotes, \\ \" \n \r \t and \xHH stand for their characters.

namespace {

constexpr int hiveCount = int(HKEY_DYN_DATA - HKEY_CLASSES_ROOT) + 1;

const char *const hiveNames[hiveCount] = {
    "HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE", "HKEY_USERS",
    "HKEY_PERFORMANCE_DATA", "HKEY_CURRENT_CONFIG", "HKEY_DYN_DATA",
};

struct Value {
    QString name;
    quint32 type = REG_NONE;
    QByteArray data;
};

struct Node {
    QString name;
    std::vector<Value> values;
    std::vector<std::unique_ptr<Node>> children;

    Node *child(const QString &childName) const
    {
        for (const auto &c : children)
            if (c->name.compare(childName, Qt::CaseInsensitive) == 0)
                return c.get();
        return nullptr;
    }
    Value *value(const QString &valueName)
    {
        for (Value &v : values)
            if (v.name.compare(valueName, Qt::CaseInsensitive) == 0)
                return &v;
        return nullptr;
    }
};

struct Store {
    QString file;          // the file the hives below were read from
    bool loaded = false;
    std::array<Node, hiveCount> hives;
};

Store &store()
{
    static Store s;
    return s;
}

QStringList splitPath(const QString &path)
{
    return path.split(QLatin1Char('\\'), Qt::SkipEmptyParts);
}

QString joinPath(const QString &path, const QString &subKey)
{
    QStringList parts = splitPath(path);
    parts += splitPath(subKey);
    return parts.join(QLatin1Char('\\'));
}

bool validKeyName(const QString &name)
{
    for (const QChar c : name)
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            return false;
    return true;
}

// ---- reading and writing the file ----

QString quoted(const QString &text)
{
    QString out = QStringLiteral("\"");
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'\\': out += QLatin1String("\\\\"); break;
        case u'"': out += QLatin1String("\\\""); break;
        case u'\n': out += QLatin1String("\\n"); break;
        case u'\r': out += QLatin1String("\\r"); break;
        case u'\t': out += QLatin1String("\\t"); break;
        default:
            if (c.unicode() < 0x20 || c.unicode() == 0x7f)
                out += QStringLiteral("\\x%1").arg(uint(c.unicode()), 2, 16, QLatin1Char('0'));
            else
                out += c;
        }
    }
    return out + QLatin1Char('"');
}

// Reads a quoted text starting at pos (on the opening quote); leaves pos after the
// closing quote. False when the text is not properly quoted.
bool unquote(const QString &line, qsizetype &pos, QString *text)
{
    if (pos >= line.size() || line.at(pos) != QLatin1Char('"'))
        return false;
    ++pos;
    QString out;
    while (pos < line.size()) {
        const QChar c = line.at(pos++);
        if (c == QLatin1Char('"')) {
            *text = out;
            return true;
        }
        if (c != QLatin1Char('\\')) {
            out += c;
            continue;
        }
        if (pos >= line.size())
            return false;
        const QChar e = line.at(pos++);
        switch (e.unicode()) {
        case u'n': out += QLatin1Char('\n'); break;
        case u'r': out += QLatin1Char('\r'); break;
        case u't': out += QLatin1Char('\t'); break;
        case u'x': {
            bool ok = false;
            const int code = line.mid(pos, 2).toInt(&ok, 16);
            if (!ok)
                return false;
            out += QChar(code);
            pos += 2;
            break;
        }
        default: out += e; break; // \\ and \"
        }
    }
    return false;
}

QString hexBytes(const QByteArray &data)
{
    QStringList bytes;
    for (const char b : data)
        bytes += QStringLiteral("%1").arg(quint8(b), 2, 16, QLatin1Char('0'));
    return bytes.join(QLatin1Char(','));
}

bool parseHexBytes(const QString &text, QByteArray *data)
{
    data->clear();
    if (text.trimmed().isEmpty())
        return true;
    const QStringList parts = text.split(QLatin1Char(','));
    for (const QString &p : parts) {
        bool ok = false;
        const uint b = p.trimmed().toUInt(&ok, 16);
        if (!ok || b > 0xff)
            return false;
        data->append(char(b));
    }
    return true;
}

// A text value is written as text when its bytes are exactly UTF-8 text and one NUL.
bool isPlainText(const QByteArray &data, QString *text)
{
    if (data.isEmpty() || data.back() != '\0')
        return false;
    const QByteArray body = data.left(data.size() - 1);
    auto decoder = QStringDecoder(QStringDecoder::Utf8);
    const QString decoded = decoder(body);
    if (decoder.hasError() || decoded.toUtf8() != body)
        return false;
    *text = decoded;
    return true;
}

QString valueLine(const Value &v)
{
    QString line = v.name.isEmpty() ? QStringLiteral("@") : quoted(v.name);
    line += QLatin1Char('=');
    QString text;
    if (v.type == REG_SZ && isPlainText(v.data, &text))
        line += quoted(text);
    else if (v.type == REG_DWORD && v.data.size() == 4)
        line += QStringLiteral("dword:%1").arg(Registry::dataDword(v.data), 8, 16, QLatin1Char('0'));
    else if (v.type == REG_BINARY)
        line += QStringLiteral("hex:") + hexBytes(v.data);
    else
        line += QStringLiteral("hex(%1):").arg(v.type, 0, 16) + hexBytes(v.data);
    return line;
}

bool parseValueLine(const QString &line, Value *v)
{
    qsizetype pos = 0;
    if (line.startsWith(QLatin1Char('@'))) {
        v->name.clear();
        pos = 1;
    } else if (!unquote(line, pos, &v->name)) {
        return false;
    }
    if (pos >= line.size() || line.at(pos) != QLatin1Char('='))
        return false;
    ++pos;
    const QString rest = line.mid(pos);
    if (rest.startsWith(QLatin1Char('"'))) {
        QString text;
        qsizetype p = 0;
        if (!unquote(rest, p, &text))
            return false;
        v->type = REG_SZ;
        v->data = Registry::textData(text);
        return true;
    }
    if (rest.startsWith(QLatin1String("dword:"))) {
        bool ok = false;
        const quint32 n = rest.mid(6).trimmed().toUInt(&ok, 16);
        if (!ok)
            return false;
        v->type = REG_DWORD;
        v->data = Registry::dwordData(n);
        return true;
    }
    if (rest.startsWith(QLatin1String("hex:"))) {
        v->type = REG_BINARY;
        return parseHexBytes(rest.mid(4), &v->data);
    }
    if (rest.startsWith(QLatin1String("hex("))) {
        const qsizetype close = rest.indexOf(QLatin1String("):"));
        bool ok = false;
        const quint32 type = rest.mid(4, close - 4).toUInt(&ok, 16);
        if (close < 0 || !ok)
            return false;
        v->type = type;
        return parseHexBytes(rest.mid(close + 2), &v->data);
    }
    return false;
}

void writeNode(QString &out, const QString &path, const Node &node, bool always)
{
    if (always || !node.values.empty()) {
        out += QLatin1Char('[') + path + QStringLiteral("]\n");
        for (const Value &v : node.values)
            out += valueLine(v) + QLatin1Char('\n');
        out += QLatin1Char('\n');
    }
    for (const auto &c : node.children)
        writeNode(out, path + QLatin1Char('\\') + c->name, *c, true);
}

bool save()
{
    Store &s = store();
    QString out = QStringLiteral("; Registry of Quorvane Desktop\n\n");
    for (int h = 0; h < hiveCount; ++h)
        writeNode(out, QString::fromLatin1(hiveNames[h]), s.hives[size_t(h)], false);
    QDir().mkpath(QFileInfo(s.file).absolutePath());
    return SaveWholeFile(s.file, out.toUtf8());
}

Node *findNode(quint32 hive, const QStringList &parts)
{
    Node *node = &store().hives[size_t(hive - HKEY_CLASSES_ROOT)];
    for (const QString &p : parts) {
        node = node->child(p);
        if (!node)
            return nullptr;
    }
    return node;
}

Node *makeNode(quint32 hive, const QStringList &parts, bool *created)
{
    Node *node = &store().hives[size_t(hive - HKEY_CLASSES_ROOT)];
    *created = false;
    for (const QString &p : parts) {
        Node *next = node->child(p);
        if (!next) {
            auto child = std::make_unique<Node>();
            child->name = p;
            next = child.get();
            node->children.push_back(std::move(child));
            *created = true;
        }
        node = next;
    }
    return node;
}

void parse(const QString &content)
{
    Node *current = nullptr;
    const QStringList lines = content.split(QLatin1Char('\n'));
    for (QString line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (line.trimmed().isEmpty() || line.startsWith(QLatin1Char(';')))
            continue;
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            QStringList parts = splitPath(line.mid(1, line.size() - 2));
            const quint32 hive = parts.isEmpty() ? 0 : Registry::hiveFromName(parts.takeFirst());
            current = nullptr;
            bool created = false;
            if (hive)
                current = makeNode(hive, parts, &created);
            continue;
        }
        Value v;
        if (!current || !parseValueLine(line, &v))
            continue;
        if (Value *old = current->value(v.name))
            *old = v;
        else
            current->values.push_back(v);
    }
}

// Puts back the keys and values a new registry starts with; true when any was missing.
bool seed()
{
    bool changed = false;
    bool created = false;
    const QStringList shellFolders = splitPath(
        QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders"));
    Node *folders = makeNode(HKEY_CURRENT_USER, shellFolders, &created);
    changed |= created;
    const std::pair<QString, QString> seeded[] = {
        {QStringLiteral("Favorites"), QDir::homePath() + QStringLiteral("/Favorites")},
        {QStringLiteral("History"), ConfigFolder() + QStringLiteral("/History")},
    };
    for (const auto &[name, folder] : seeded) {
        if (folders->value(name))
            continue;
        folders->values.push_back(Value{name, REG_SZ, Registry::textData(folder)});
        changed = true;
    }
    makeNode(HKEY_CURRENT_USER, splitPath(QStringLiteral("Software\\Microsoft\\Internet Explorer\\TypedURLs")),
             &created);
    changed |= created;
    return changed;
}

// Makes sure the hives hold what the registry file holds.
void ensureLoaded()
{
    Store &s = store();
    const QString file = Registry::filePath();
    if (s.loaded && s.file == file)
        return;
    for (Node &hive : s.hives) {
        hive.values.clear();
        hive.children.clear();
    }
    s.file = file;
    s.loaded = true;
    QFile f(file);
    if (f.open(QIODevice::ReadOnly))
        parse(QString::fromUtf8(f.readAll()));
    if (seed())
        save();
}

// Writes a change to the file; when that fails the change is dropped again.
long commit()
{
    if (save())
        return ERROR_SUCCESS;
    store().loaded = false;
    ensureLoaded();
    return ERROR_REGISTRY_IO_FAILED;
}

// The node of an open key: ERROR_INVALID_HANDLE for a bad hive, ERROR_KEY_DELETED when
// the key is gone.
long resolve(const RegKey &key, Node **node)
{
    if (!key.isValid())
        return ERROR_INVALID_HANDLE;
    ensureLoaded();
    *node = findNode(key.hive(), splitPath(key.path()));
    return *node ? ERROR_SUCCESS : ERROR_KEY_DELETED;
}

// Removes the key named by parts from its parent; children decides whether a key with
// subkeys may go.
long removeNode(const RegKey &parent, const QString &subKey, bool children)
{
    Node *base = nullptr;
    if (const long r = resolve(parent, &base))
        return r;
    if (splitPath(subKey).isEmpty())
        return ERROR_INVALID_PARAMETER;
    QStringList parts = splitPath(parent.path()) + splitPath(subKey);
    const QString last = parts.takeLast();
    Node *owner = findNode(parent.hive(), parts);
    Node *target = owner ? owner->child(last) : nullptr;
    if (!target)
        return ERROR_FILE_NOT_FOUND;
    if (!children && !target->children.empty())
        return ERROR_ACCESS_DENIED;
    for (auto it = owner->children.begin(); it != owner->children.end(); ++it) {
        if (it->get() == target) {
            owner->children.erase(it);
            break;
        }
    }
    return commit();
}

} // namespace

long Registry::openKey(const RegKey &parent, const QString &subKey, RegKey *key)
{
    Node *base = nullptr;
    if (const long r = resolve(parent, &base))
        return r;
    const QString path = joinPath(parent.path(), subKey);
    if (!findNode(parent.hive(), splitPath(path)))
        return ERROR_FILE_NOT_FOUND;
    if (key)
        *key = RegKey(parent.hive(), path);
    return ERROR_SUCCESS;
}

long Registry::createKey(const RegKey &parent, const QString &subKey, RegKey *key, bool *existed)
{
    Node *base = nullptr;
    if (const long r = resolve(parent, &base))
        return r;
    const QStringList parts = splitPath(subKey);
    for (const QString &p : parts)
        if (!validKeyName(p))
            return ERROR_BAD_PATHNAME;
    const QString path = joinPath(parent.path(), subKey);
    bool created = false;
    makeNode(parent.hive(), splitPath(path), &created);
    if (created) {
        if (const long r = commit())
            return r;
    }
    if (existed)
        *existed = !created;
    if (key)
        *key = RegKey(parent.hive(), path);
    return ERROR_SUCCESS;
}

long Registry::deleteKey(const RegKey &parent, const QString &subKey)
{
    return removeNode(parent, subKey, false);
}

long Registry::deleteTree(const RegKey &parent, const QString &subKey)
{
    return removeNode(parent, subKey, true);
}

long Registry::queryValue(const RegKey &key, const QString &name, quint32 *type, QByteArray *data)
{
    Node *node = nullptr;
    if (const long r = resolve(key, &node))
        return r;
    const Value *v = node->value(name);
    if (!v)
        return ERROR_FILE_NOT_FOUND;
    if (type)
        *type = v->type;
    if (data)
        *data = v->data;
    return ERROR_SUCCESS;
}

long Registry::setValue(const RegKey &key, const QString &name, quint32 type, const QByteArray &data)
{
    Node *node = nullptr;
    if (const long r = resolve(key, &node))
        return r;
    if (Value *v = node->value(name)) {
        v->type = type;
        v->data = data;
    } else {
        node->values.push_back(Value{name, type, data});
    }
    return commit();
}

long Registry::deleteValue(const RegKey &key, const QString &name)
{
    Node *node = nullptr;
    if (const long r = resolve(key, &node))
        return r;
    for (auto it = node->values.begin(); it != node->values.end(); ++it) {
        if (it->name.compare(name, Qt::CaseInsensitive) == 0) {
            node->values.erase(it);
            return commit();
        }
    }
    return ERROR_FILE_NOT_FOUND;
}

long Registry::enumKey(const RegKey &key, int index, QString *name)
{
    Node *node = nullptr;
    if (const long r = resolve(key, &node))
        return r;
    if (index < 0 || size_t(index) >= node->children.size())
        return ERROR_NO_MORE_ITEMS;
    if (name)
        *name = node->children[size_t(index)]->name;
    return ERROR_SUCCESS;
}

long Registry::enumValue(const RegKey &key, int index, QString *name, quint32 *type, QByteArray *data)
{
    Node *node = nullptr;
    if (const long r = resolve(key, &node))
        return r;
    if (index < 0 || size_t(index) >= node->values.size())
        return ERROR_NO_MORE_ITEMS;
    const Value &v = node->values[size_t(index)];
    if (name)
        *name = v.name;
    if (type)
        *type = v.type;
    if (data)
        *data = v.data;
    return ERROR_SUCCESS;
}

QStringList Registry::subKeyNames(const RegKey &key)
{
    QStringList names;
    QString name;
    for (int i = 0; enumKey(key, i, &name) == ERROR_SUCCESS; ++i)
        names += name;
    return names;
}

QStringList Registry::valueNames(const RegKey &key)
{
    QStringList names;
    QString name;
    for (int i = 0; enumValue(key, i, &name, nullptr, nullptr) == ERROR_SUCCESS; ++i)
        names += name;
    return names;
}

QByteArray Registry::textData(const QString &text)
{
    QByteArray data = text.toUtf8();
    data.append('\0');
    return data;
}

QString Registry::dataText(const QByteArray &data)
{
    const qsizetype nul = data.indexOf('\0');
    return QString::fromUtf8(nul < 0 ? data : data.left(nul));
}

QByteArray Registry::dwordData(quint32 value)
{
    QByteArray data(4, '\0');
    for (int i = 0; i < 4; ++i)
        data[i] = char((value >> (8 * i)) & 0xff);
    return data;
}

quint32 Registry::dataDword(const QByteArray &data)
{
    if (data.size() != 4)
        return 0;
    quint32 value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | quint8(data.at(i));
    return value;
}

QString Registry::readText(quint32 hive, const QString &keyPath, const QString &name, const QString &fallback)
{
    RegKey key;
    QByteArray data;
    if (openKey(hive, keyPath, &key) != ERROR_SUCCESS || queryValue(key, name, nullptr, &data) != ERROR_SUCCESS)
        return fallback;
    return dataText(data);
}

quint32 Registry::hiveFromName(const QString &name)
{
    for (int h = 0; h < hiveCount; ++h)
        if (name == QLatin1String(hiveNames[h]))
            return HKEY_CLASSES_ROOT + quint32(h);
    return 0;
}

QString Registry::hiveName(quint32 hive)
{
    if (hive < HKEY_CLASSES_ROOT || hive > HKEY_DYN_DATA)
        return QString();
    return QString::fromLatin1(hiveNames[hive - HKEY_CLASSES_ROOT]);
}

QString Registry::filePath()
{
    return ConfigFolder() + QStringLiteral("/registry.ini");
}

void Registry::reload()
{
    store().loaded = false;
}

long SetValueEx(const RegKey &key, const QString &name, quint32 type, const QVariant &value)
{
    switch (type) {
    case REG_SZ:
        return Registry::setValue(key, name, REG_SZ, Registry::textData(value.toString()));
    case REG_DWORD:
        return Registry::setValue(key, name, REG_DWORD, Registry::dwordData(quint32(value.toLongLong())));
    default:
        return ERROR_INVALID_PARAMETER;
    }
}
