#include "printer/ui/choice_dialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "resources/strings.h"

CTextChoiceDialog::CTextChoiceDialog(int mode, QWidget* parent) : QDialog(parent) {
    setObjectName("CTextChoiceDialog");
    setWindowTitle(QStringLiteral("Meldungen "));
    const int text = mode == 0 ? printer::kMsgChooseToEdit : printer::kMsgChooseToSave;
    m_question = new QLabel(QString::fromStdString(res::text(text)), this);
    m_question->setObjectName("question");
    m_question->setWordWrap(true);
    // wide enough that the question takes two lines at most
    m_question->setMinimumWidth(m_question->fontMetrics().averageCharWidth() * 48);

    m_sdb = new QPushButton(QStringLiteral("SDB"), this);
    m_sdb->setObjectName("sdb");
    m_sdb->setDefault(true);
    m_file = new QPushButton(QStringLiteral("Datei"), this);
    m_file->setObjectName("file");
    m_cancel = new QPushButton(QStringLiteral("Abbrechen"), this);
    m_cancel->setObjectName("cancel");
    connect(m_sdb, &QPushButton::clicked, this, [this] { done(static_cast<int>(printer::Choice::Sdb)); });
    connect(m_file, &QPushButton::clicked, this, [this] { done(static_cast<int>(printer::Choice::File)); });
    connect(m_cancel, &QPushButton::clicked, this, [this] { done(static_cast<int>(printer::Choice::Cancel)); });

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_sdb);
    buttons->addWidget(m_file);
    buttons->addWidget(m_cancel);
    buttons->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_question);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

printer::Choice CTextChoiceDialog::choose() {
    const int r = exec();
    if (r == static_cast<int>(printer::Choice::Sdb)) return printer::Choice::Sdb;
    if (r == static_cast<int>(printer::Choice::File)) return printer::Choice::File;
    return printer::Choice::Cancel;
}
