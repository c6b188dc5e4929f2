#pragma once
// The pictures of the category tree: five 16 by 16 pictures of our own without keys
// (1 an open yellow folder, 2 a closed yellow folder, 3 a PDF document, 4 a web-page mark,
// 5 a web document), followed by the file-type icons added while the tree is filled, each
// with a key (a file extension, or a whole path for files that carry their own icon) and a
// tag (the file's type name). Numbers start at 1.

#include <QHash>
#include <QIcon>
#include <QList>
#include <QObject>
#include <QString>

class TreeImageList : public QObject
{
    Q_OBJECT
public:
    static constexpr int OpenFolder = 1;
    static constexpr int ClosedFolder = 2;
    static constexpr int PdfDocument = 3;
    static constexpr int WebPageMark = 4;
    static constexpr int WebDocument = 5;

    explicit TreeImageList(QObject *parent = nullptr);

    int count() const { return int(m_icons.size()); }
    QIcon icon(int number) const;
    QString key(int number) const;
    QString tag(int number) const;
    QList<QIcon> icons() const { return m_icons; }

    // The number of the last picture with this key, 0 when none has it. The keyless
    // pictures answer an empty key.
    int find(const QString &key) const;
    // Appends a picture and answers its number.
    int add(const QString &key, const QIcon &icon, const QString &tag);

private:
    QList<QIcon> m_icons;
    QStringList m_keys;
    QStringList m_tags;
    QHash<QString, int> m_lastByKey;
};
