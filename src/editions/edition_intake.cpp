#include "editions/edition_intake.h"

#include "shared/database.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>

#include <functional>

namespace {

// The longest declaration read, in characters.
constexpr qsizetype kLongestDeclaration = 100000;

struct Token {
    QString text;        // an unquoted word in upper case; else as written
    bool word = false;   // a keyword or a plain name
};

bool isWordCharacter(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('$') || c.unicode() > 0x7f;
}

// The end of the quoted name or text that starts at from, its closing quote included; a
// doubled quote inside stands for one.
qsizetype quotedEnd(const QString &sql, qsizetype from)
{
    const QChar open = sql.at(from);
    const QChar close = open == QLatin1Char('[') ? QLatin1Char(']') : open;
    for (qsizetype at = from + 1; at < sql.size(); ++at) {
        if (sql.at(at) != close)
            continue;
        if (close == QLatin1Char(']') || at + 1 == sql.size() || sql.at(at + 1) != close)
            return at + 1;
        ++at;
    }
    return sql.size();
}

// The tokens of a declaration as SQLite reads them, its comments left out.
QList<Token> tokensOf(const QString &sql)
{
    QList<Token> tokens;
    qsizetype at = 0;
    while (at < sql.size()) {
        const QChar c = sql.at(at);
        qsizetype end = at + 1;
        if (c.isSpace()) {
        } else if (sql.mid(at, 2) == QLatin1String("--")) {
            end = sql.indexOf(QLatin1Char('\n'), at);
        } else if (sql.mid(at, 2) == QLatin1String("/*")) {
            end = sql.indexOf(QLatin1String("*/"), at + 2);
            end = end < 0 ? end : end + 2;
        } else if (QStringLiteral("'\"`[").contains(c)) {
            end = quotedEnd(sql, at);
            tokens.append({sql.mid(at, end - at), false});
        } else if (isWordCharacter(c)) {
            while (end < sql.size() && isWordCharacter(sql.at(end)))
                ++end;
            tokens.append({sql.mid(at, end - at).toUpper(), true});
        } else {
            tokens.append({QString(c), false});
        }
        at = end < 0 ? sql.size() : end;
    }
    return tokens;
}

bool isWord(const Token &token, const char *word)
{
    return token.word && token.text == QLatin1String(word);
}

// A table declares an expression with a check, a column generated from one ("AS"), or a
// default worked out ("DEFAULT (").
bool plainTable(const QList<Token> &tokens)
{
    for (qsizetype i = 0; i < tokens.size(); ++i) {
        if (isWord(tokens.at(i), "CHECK") || isWord(tokens.at(i), "AS")
            || (isWord(tokens.at(i), "DEFAULT") && i + 1 < tokens.size() && tokens.at(i + 1).text == QLatin1String("(")))
            return false;
    }
    return true;
}

// A column's name: a plain word that is no number, or a name in double quotes, backquotes
// or brackets (a text in single quotes is an expression).
bool isName(const Token &token)
{
    return token.word ? !token.text.at(0).isDigit() : token.text.size() > 1 && token.text.at(0) != QLatin1Char('\'');
}

// A plain index names columns only, each with its collation and order, and the whole of
// its table: "... ON table (name [COLLATE name] [ASC | DESC], ...)" and nothing after.
bool plainIndex(const QList<Token> &tokens)
{
    qsizetype i = 0;
    while (i < tokens.size() && !isWord(tokens.at(i), "ON"))
        ++i;
    while (i < tokens.size() && tokens.at(i).text != QLatin1String("("))
        ++i;
    bool named = false;   // a column is named since the last comma
    for (++i; i < tokens.size(); ++i) {
        const Token &token = tokens.at(i);
        if (token.text == QLatin1String(")"))
            return named && i + 1 == tokens.size();
        if (token.text == QLatin1String(",") && named)
            named = false;
        else if (isWord(token, "COLLATE") && named && i + 1 < tokens.size() && isName(tokens.at(i + 1)))
            ++i;
        else if (!(named ? isWord(token, "ASC") || isWord(token, "DESC") : isName(token)))
            return false;
        else
            named = true;
    }
    return false;
}

struct Line {
    QString type;
    QString name;
    QString sql;
    bool operator==(const Line &other) const
    {
        return type == other.type && name.compare(other.name, Qt::CaseInsensitive) == 0 && sql == other.sql;
    }
};

// Hands each line of the list of tables of the database file at path to take until take
// answers false; answers whether every line was taken.
bool eachLine(const QString &path, const std::function<bool(const Line &)> &take)
{
    return ReadDatabaseFile(path, [&take](const QSqlDatabase &db) {
        QSqlQuery q(db);
        q.setForwardOnly(true);
        // No edition's name or declaration comes near the longest read: a longer one is
        // read only so far, and taken for no plain one.
        if (!q.exec(QStringLiteral("SELECT type, substr(name, 1, %1), substr(sql, 1, %1) FROM sqlite_master")
                        .arg(kLongestDeclaration + 1)))
            return false;
        while (q.next())
            if (!take({q.value(0).toString(), q.value(1).toString(), q.value(2).toString()}))
                return false;
        return q.lastError().type() == QSqlError::NoError;
    });
}

bool plainLine(const Line &line)
{
    // An index SQLite makes for a key or a unique column has no declaration of its own.
    if (line.sql.isEmpty())
        return line.type == QLatin1String("index");
    if (line.sql.size() > kLongestDeclaration)
        return false;
    const QList<Token> tokens = tokensOf(line.sql);
    if (line.type == QLatin1String("table"))
        return plainTable(tokens);
    return line.type == QLatin1String("index") && plainIndex(tokens);
}

} // namespace

bool DeclaresNothingOfItsOwn(const QString &path, const QString &templateFile)
{
    QList<Line> known;
    eachLine(templateFile, [&known](const Line &line) {
        known.append(line);
        return true;
    });
    return eachLine(path, [&known](const Line &line) { return known.contains(line) || plainLine(line); });
}

QString OwnCommandsReason()
{
    return QStringLiteral("holds commands of its own that this program does not know, which would run whenever the "
                          "edition is used");
}

QString IntakeRefusal(const QString &path, const QString &templateFile)
{
    if (!IsEditionFile(path))
        return QStringLiteral("is not an edition database of this program");
    return DeclaresNothingOfItsOwn(path, templateFile) ? QString() : OwnCommandsReason();
}
