#pragma once
// Messages of the window program: a message box whose buttons follow the resource.
#include "host/messages.h"

class QWidget;

class MessageBoxService : public host::MessageService {
public:
    explicit MessageBoxService(QWidget* parent = nullptr) : parent_(parent) {}
    void setParent(QWidget* parent) { parent_ = parent; }
    int show(const host::Message& m) override;
private:
    QWidget* parent_;
};
