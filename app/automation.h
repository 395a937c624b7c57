#pragma once
// The document's automation entry "Ptp.Document": the host of an embedded start calls Show.
// It is offered on the D-Bus session bus when there is one.
#include <QObject>
#include <QString>

class CPtpDoc;

class PtpDocumentAutomation : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "Ptp.Document")
public:
    explicit PtpDocumentAutomation(CPtpDoc& doc, QObject* parent = nullptr) : QObject(parent), m_doc(doc) {}
    // Registers the service "Ptp.Document" with the object "/Document"; false without a bus.
    bool Register();

public slots:
    int Show(int a, int b, int c, int d, int e, int f, const QString& text);

private:
    CPtpDoc& m_doc;
};
