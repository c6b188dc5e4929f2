#include "mainwindow/form11_about.h"

#include "shared/dialog_layout.h"
#include "shared/fileroutines.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStringList>
#include <QVBoxLayout>

namespace {

const char *const kBsd3 =
    "Redistribution and use in source and binary forms, with or without modification, are permitted "
    "provided that the following conditions are met:\n"
    "1. Redistributions of source code must retain the above copyright notice, this list of conditions "
    "and the following disclaimer.\n"
    "2. Redistributions in binary form must reproduce the above copyright notice, this list of conditions "
    "and the following disclaimer in the documentation and/or other materials provided with the "
    "distribution.\n"
    "3. The names of the authors may not be used to endorse or promote products derived from this "
    "software without specific prior written permission.\n"
    "THIS SOFTWARE IS PROVIDED BY THE AUTHORS ``AS IS'' AND ANY EXPRESS OR IMPLIED WARRANTIES, INCLUDING, "
    "BUT NOT LIMITED TO, THE IMPLIED WARRANTIES OF MERCHANTABILITY AND FITNESS FOR A PARTICULAR PURPOSE ARE "
    "DISCLAIMED. IN NO EVENT SHALL THE AUTHORS BE LIABLE FOR ANY DIRECT, INDIRECT, INCIDENTAL, SPECIAL, "
    "EXEMPLARY, OR CONSEQUENTIAL DAMAGES (INCLUDING, BUT NOT LIMITED TO, PROCUREMENT OF SUBSTITUTE GOODS OR "
    "SERVICES; LOSS OF USE, DATA, OR PROFITS; OR BUSINESS INTERRUPTION) HOWEVER CAUSED AND ON ANY THEORY OF "
    "LIABILITY, WHETHER IN CONTRACT, STRICT LIABILITY, OR TORT (INCLUDING NEGLIGENCE OR OTHERWISE) ARISING "
    "IN ANY WAY OUT OF THE USE OF THIS SOFTWARE, EVEN IF ADVISED OF THE POSSIBILITY OF SUCH DAMAGE.";

const char *const kMit =
    "Permission is hereby granted, free of charge, to any person obtaining a copy of this software and "
    "associated documentation files (the \"Software\"), to deal in the Software without restriction, "
    "including without limitation the rights to use, copy, modify, merge, publish, distribute, sublicense, "
    "and/or sell copies of the Software, and to permit persons to whom the Software is furnished to do so, "
    "subject to the following conditions:\n"
    "The above copyright notice and this permission notice shall be included in all copies or substantial "
    "portions of the Software.\n"
    "THE SOFTWARE IS PROVIDED \"AS IS\", WITHOUT WARRANTY OF ANY KIND, EXPRESS OR IMPLIED, INCLUDING BUT "
    "NOT LIMITED TO THE WARRANTIES OF MERCHANTABILITY, FITNESS FOR A PARTICULAR PURPOSE AND NONINFRINGEMENT. "
    "IN NO EVENT SHALL THE AUTHORS OR COPYRIGHT HOLDERS BE LIABLE FOR ANY CLAIM, DAMAGES OR OTHER LIABILITY, "
    "WHETHER IN AN ACTION OF CONTRACT, TORT OR OTHERWISE, ARISING FROM, OUT OF OR IN CONNECTION WITH THE "
    "SOFTWARE OR THE USE OR OTHER DEALINGS IN THE SOFTWARE.";

} // namespace

// The program's pictures are compiled into its library; registering them again is harmless.
static void initProgramResources()
{
    Q_INIT_RESOURCE(quorvane);
}

Form11::Form11(QWidget *parent)
    : QDialog(parent)
{
    initProgramResources();
    setObjectName(QStringLiteral("Form11"));
    setWindowTitle(QStringLiteral("About Quorvane Desktop 2"));
    setModal(true);

    Picture1 = new QLabel(this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setPixmap(QPixmap(QStringLiteral(":/images/quorvane.png"))
                            .scaled(96, 96, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    Picture1->setAlignment(Qt::AlignTop | Qt::AlignHCenter);

    auto *title = new QLabel(QStringLiteral("<b>Quorvane Desktop 2</b><br>Your web links, sorted by subject."), this);
    title->setAlignment(Qt::AlignTop | Qt::AlignLeft);

    Text1 = new QPlainTextEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setReadOnly(true);
    Text1->setMinimumSize(520, 300);

    Command1 = NamedButton(QStringLiteral("OK"), "Command1", this, true);
    connect(Command1, &QPushButton::clicked, this, &Form11::Command1_Click);

    auto *top = new QHBoxLayout;
    top->addWidget(Picture1);
    top->addWidget(title, 1);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(Text1, 1);
    layout->addLayout(ButtonRow({Command1}));

    Form_Load();
}

QString Form11::AboutText()
{
    QStringList lines;
    lines << QStringLiteral("LEGAL NOTICES:")
          << QStringLiteral("Quorvane Desktop 2. Copyright (C) the Quorvane Desktop authors. All rights reserved.")
          << QStringLiteral("This program is provided \"as is\", without warranty of any kind, express or implied. "
                            "The authors are not liable for any damages arising from its use. Web addresses shown "
                            "by the program lead to pages of third parties, for whose content the authors are not "
                            "responsible.")
          << QStringLiteral("Microsoft, Windows, Internet Explorer are trademarks of Microsoft Corporation.")
          << QString()
          << QStringLiteral("This program is built on the following libraries:")
          << QString()
          << QStringLiteral("Qt 6 (Qt Widgets, Qt SQL, Qt Network, Qt WebEngine):")
          << QStringLiteral("Copyright (C) The Qt Company Ltd. and other contributors.")
          << QStringLiteral("Used under the GNU Lesser General Public License version 3 (LGPLv3). You may obtain "
                            "the source code of Qt from https://download.qt.io/ and replace the Qt libraries this "
                            "program uses with a modified version of them.")
          << QString()
          << QStringLiteral("SQLite:")
          << QStringLiteral("The authors of SQLite have dedicated the code to the public domain.")
          << QString()
          << QStringLiteral("libxml2:")
          << QStringLiteral("Copyright (C) 1998-2017 Daniel Veillard. All Rights Reserved.")
          << QString::fromLatin1(kMit).split(QLatin1Char('\n'))
          << QString()
          << QStringLiteral("libxslt:")
          << QStringLiteral("Copyright (C) 2001-2002 Daniel Veillard. All Rights Reserved.")
          << QString::fromLatin1(kMit).split(QLatin1Char('\n'))
          << QString()
          << QStringLiteral("libzip:")
          << QStringLiteral("Copyright (C) 1999-2017 Dieter Baron and Thomas Klausner.")
          << QString::fromLatin1(kBsd3).split(QLatin1Char('\n'));
    return lines.join(QLatin1Char('\n'));
}

void Form11::Form_Load()
{
    adjustSize();
    CenterForm(this);
    Text1->setPlainText(AboutText());
}

void Form11::Command1_Click()
{
    accept();
}
