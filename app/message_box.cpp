#include "app/message_box.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QString>

int MessageBoxService::show(const host::Message& m) {
    QMessageBox box(parent_);
    box.setWindowTitle(QString::fromStdString(m.title));
    box.setText(QString::fromStdString(m.text));
    using B = QMessageBox::StandardButton;
    switch (m.buttons) {
    case host::Buttons::Ok:
        box.setIcon(m.warning ? QMessageBox::Warning : QMessageBox::Information);
        box.setStandardButtons(B::Ok);
        break;
    case host::Buttons::YesNo:
        box.setIcon(QMessageBox::Question);
        box.setStandardButtons(B::Yes | B::No);
        break;
    case host::Buttons::YesNoCancel:
        box.setIcon(QMessageBox::Question);
        box.setStandardButtons(B::Yes | B::No | B::Cancel);
        break;
    }
    box.setDefaultButton(m.defaultButton == host::kNo ? B::No : m.defaultButton == host::kYes ? B::Yes : B::Ok);
    if (auto* b = box.button(B::Yes)) b->setText("Ja");
    if (auto* b = box.button(B::No)) b->setText("Nein");
    if (auto* b = box.button(B::Cancel)) b->setText("Abbrechen");
    switch (box.exec()) {
    case B::Yes: return host::kYes;
    case B::No: return host::kNo;
    case B::Cancel: return host::kCancel;
    default: return host::kOk;
    }
}
