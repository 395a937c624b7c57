#pragma once
// The overview of the one document: what module, protocol and interface it configures, the
// protocol list and the button that opens the current protocol's sheet (or a loadable
// driver's own dialog).
#include <QWidget>

#include "document/ptp_doc.h"

class QComboBox;
class QLabel;
class QPushButton;

class CPtpView : public QWidget, public DocumentView {
    Q_OBJECT
public:
    explicit CPtpView(QWidget* parent = nullptr);
    void SetDocument(CPtpDoc* doc) { m_pDoc = doc; }
    void OnInitialUpdate(const CPtpDoc& doc) override;
    void Activate() override;
    QPushButton* ProtocolButton() const { return m_pProtocol; }
    QComboBox* ProtocolList() const { return m_pProtocolList; }

public slots:
    // Opens the protocol sheet of the module and current protocol; after OK its values go
    // into the document (marked modified unless online).
    void OnProtocol();
    // The protocol list's selection confirmed: the protocol change, after its question.
    void OnProtocolSelected(int index);

protected:
    // An arrow key on the closed protocol list opens it instead of changing the protocol.
    bool eventFilter(QObject* watched, QEvent* event) override;

signals:
    // The document changed through the view.
    void documentChanged();

private:
    CPtpDoc* m_pDoc = nullptr;
    QLabel* m_pText = nullptr;
    QPushButton* m_pProtocol = nullptr;
    QComboBox* m_pProtocolList = nullptr;
    QLabel* m_pInterfaceLabel = nullptr;
    QLabel* m_pInterfaceNo = nullptr;
};
