#pragma once
// The firmware dialog (208): the module's firmware version, the choice of the update set, and
// the transfer with its progress, its messages and Cancel.
#include <QDialog>

#include <functional>
#include <map>
#include <memory>

#include "online/firmware_session.h"

class CPtpDoc;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
namespace host {
class Registry;
}

// Opens the dialog for the document's module, modally. `first`: CP 731; `second`: CP 731 or CP 830.
void OpenFirmwareDialog(CPtpDoc& doc, QWidget* parent, bool first, bool second);

class CFirmwareDialog : public QDialog {
    Q_OBJECT
public:
    // `registry` keeps the index path (the user's registry when null).
    CFirmwareDialog(CPtpDoc& doc, bool first, bool second, host::Registry* registry = nullptr, QWidget* parent = nullptr);
    ~CFirmwareDialog() override;

    // Reads the module's version over a connection of its own (as the dialog does when it opens).
    void ReadModule();
    // Shows a module version (or none) without reading it: for the screens.
    void ShowModuleVersion(const std::optional<std::string>& version);
    // The path field and the selected version from it.
    void SetIndexPath(const QString& path);
    // Starts the transfer ("&Firmware laden").
    void StartTransfer();
    bool TransferRunning() const { return transfer_ != nullptr; }
    // Chooses the file for "&Datei suchen..." (a file dialog unless replaced; empty: cancelled).
    std::function<QString(QWidget*)> chooseFile;
    std::function<void()> help;

    void reject() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    class View;
    void step();
    void finish();
    void findFile();
    void showSelected();
    void setDiagnostic(int control, const QString& text);

    CPtpDoc& doc_;
    online::FirmwareModel model_;
    std::unique_ptr<host::Registry> ownRegistry_;
    host::Registry* registry_;
    bool moduleWithoutFirmware_ = false;
    QLabel* moduleLabel_;
    QLabel* moduleVersion_;
    QLineEdit* path_;
    QPushButton* find_;
    QLabel* selectedVersion_;
    QPushButton* load_;
    QLabel* percent_;
    QProgressBar* progress_;
    QPushButton* cancel_;
    std::map<int, QLabel*> diagnostics_;
    std::unique_ptr<View> view_;
    std::unique_ptr<online::FirmwareConnection> connection_;
    std::unique_ptr<online::FirmwareTransfer> transfer_;
};
