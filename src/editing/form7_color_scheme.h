#pragma once
// "Update Color Scheme": the text and background colours of the shown Sub-Topic's page,
// taken from one of the preset schemes or picked in the colour dialog. "Update" stores
// both and sets SectionDialogChanged to 1; "Cancel" stores nothing.

#include <QColor>
#include <QDialog>
#include <QString>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;

class Form7 : public QDialog
{
    Q_OBJECT
public:
    // topicName and subTopicName are the texts of the main window's Topic and Sub-Topic lists.
    Form7(const QString &topicName, const QString &subTopicName, QWidget *parent = nullptr);

    QLabel *Label1 = nullptr;       // "Topic:"
    QLabel *Label5 = nullptr;       // the Topic's name
    QLabel *Label6 = nullptr;       // "Sub Topic:"
    QLabel *Label7 = nullptr;       // the Sub-Topic's name
    QCheckBox *Check1 = nullptr;    // "Preformatted Color Scheme"
    QComboBox *Combo1 = nullptr;    // the preset schemes
    QGroupBox *Frame1 = nullptr;    // "Custom Color Scheme"
    QPushButton *Picture1 = nullptr;   // the text colour
    QPushButton *Picture3 = nullptr;   // the background colour
    QPushButton *Command1 = nullptr;   // "Update"
    QPushButton *Command2 = nullptr;   // "Cancel"

    void Form_Load();
    void Check1_Click();
    void Combo1_Click();
    void Picture1_Click();
    void Picture3_Click();
    void Command1_Click();
    void Command2_Click();

    QColor textColour() const { return m_textColour; }
    QColor backgroundColour() const { return m_backColour; }

private:
    void setTextColour(const QColor &colour);
    void setBackgroundColour(const QColor &colour);
    static void paint(QPushButton *picture, const QColor &colour);

    QString m_topicName;
    QString m_subTopicName;
    QColor m_textColour;
    QColor m_backColour;
};
