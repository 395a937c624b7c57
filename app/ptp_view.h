#pragma once
// The overview of the one document: the configured chain drawn as picture buttons (own CPU -
// protocol - partner CPU, or CPU - protocol - line - printer with the printer's settings),
// the protocol list with the CP 831-2's interface number above it. A double click on a
// button, Enter on the focused one or "Objekt öffnen" opens the button's dialog.
#include <QAbstractButton>
#include <QWidget>

#include <functional>

#include "document/ptp_doc.h"

class QComboBox;
class QFrame;
class QLabel;
class QSvgRenderer;

// A button that shows a picture scaled to its size: the focused picture while it has the
// focus (when it has one), the normal picture otherwise. A single click opens nothing;
// a double click and the first press of Enter (no auto-repeat) emit opened().
class CPictureButton : public QAbstractButton {
    Q_OBJECT
public:
    // `picture` and `focused` name compiled-in pictures (resources/pictures); `focused` may
    // be empty. Throws std::runtime_error when a picture is missing or cannot be read.
    CPictureButton(const QString& caption, const QString& picture, const QString& focused, QWidget* parent = nullptr);
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }
    // The picture drawn now: the focused one while the button has the focus.
    bool ShowsFocusedPicture() const;

signals:
    void opened();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QSvgRenderer* m_picture = nullptr;
    QSvgRenderer* m_focused = nullptr;
};

class CPtpView : public QWidget, public DocumentView {
    Q_OBJECT
public:
    // The dialogs the overview opens besides the protocol sheet. Each gets the document (its
    // online flag is the dialog's read-only flag) and the parent window, and returns true when
    // it changed the document; the overview then shows the document again and says so with
    // documentChanged(). A button whose dialog is not set opens nothing.
    struct OverviewDialogs {
        std::function<bool(CPtpDoc&, QWidget*)> pageLayout;         // SEITE
        std::function<bool(CPtpDoc&, QWidget*)> characterSet;       // ZEICHEN
        std::function<bool(CPtpDoc&, QWidget*)> controlCharacters;  // STEUER
        std::function<bool(CPtpDoc&, QWidget*)> messageTexts;       // MELD
        std::function<bool(CPtpDoc&, QWidget*)> driver;             // TREIBER: loading (CP 731) or information (CP 831-2)
    };
    // The help topic of the overview (F1).
    static constexpr int kHelpTopic = 0x20065;

    // Throws std::runtime_error when a picture is missing from the program.
    explicit CPtpView(QWidget* parent = nullptr);
    void SetDocument(CPtpDoc* doc) { m_pDoc = doc; }
    void SetDialogs(OverviewDialogs dialogs) { m_dialogs = std::move(dialogs); }
    // Shows the document: the protocol list and its selection, the interface number, and
    // which picture buttons the module and protocol have.
    void OnInitialUpdate(const CPtpDoc& doc) override;
    void Activate() override;

    // The picture button of a caption ("AG1", "PROTO", "MELD", ...), or null.
    CPictureButton* Button(const QString& caption) const;
    CPictureButton* ProtocolButton() const { return m_pProto; }
    CPictureButton* DriverButton() const { return m_pDriver; }
    QComboBox* ProtocolList() const { return m_pProtocolList; }
    // Online: every dialog opened from the overview only shows the document.
    bool ReadOnly() const { return m_bReadOnly; }

    // Opens the dialog of one of the buttons PROTO, SEITE, ZEICHEN, STEUER, MELD, TREIBER;
    // other buttons open nothing.
    void OpenObject(CPictureButton* button);
    // "Objekt öffnen": opens the button that has the focus; false when the focus is on none
    // of the buttons that open something.
    bool OpenFocusedObject();

public slots:
    // Opens the protocol sheet of the module and current protocol (a loadable driver's own
    // dialog for a driver); after OK its values go into the document (marked modified unless
    // online).
    void OnProtocol();
    // The protocol list's selection confirmed: the protocol change, after its question.
    void OnProtocolSelected(int index);

signals:
    // The document changed through the view.
    void documentChanged();

protected:
    // The keyboard between the protocol list and the buttons: arrow keys open the closed
    // list, Tab and Shift+Tab lead from the list into the chain, Tab and the arrow keys on
    // the line lead back.
    bool eventFilter(QObject* watched, QEvent* event) override;
    // F1 anywhere in the overview opens its help topic instead of the help contents.
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    CPictureButton* AddButton(const QString& caption, const QString& picture, const QString& focused = {});
    QLabel* AddLabel(const QString& name, const QString& text);
    // Where Shift+Tab on the protocol list leads: the messages button with the printer, the
    // driver button for a CP 731 with a loadable driver, the protocol button otherwise.
    QWidget* BackFromList() const;
    void ShowPrinterLayout(bool shown);
    void Changed();

    CPtpDoc* m_pDoc = nullptr;
    OverviewDialogs m_dialogs;
    bool m_bReadOnly = false;
    QComboBox* m_pProtocolList = nullptr;
    QLabel* m_pInterfaceLabel = nullptr;
    QLabel* m_pInterfaceNo = nullptr;
    CPictureButton* m_pCpu = nullptr;       // AG1
    CPictureButton* m_pPartner = nullptr;   // AG2
    CPictureButton* m_pProto = nullptr;     // PROTO
    CPictureButton* m_pLine = nullptr;      // LINIE
    CPictureButton* m_pPrinter = nullptr;   // DRUCKER
    CPictureButton* m_pMessages = nullptr;  // MELD
    CPictureButton* m_pPage = nullptr;      // SEITE
    CPictureButton* m_pChars = nullptr;     // ZEICHEN
    CPictureButton* m_pControl = nullptr;   // STEUER
    CPictureButton* m_pDriver = nullptr;    // TREIBER
    QLabel* m_pMessagesLabel = nullptr;
    QLabel* m_pPageLabel = nullptr;
    QLabel* m_pCharsLabel = nullptr;
    QLabel* m_pControlLabel = nullptr;
    QLabel* m_pDriverLoadLabel = nullptr;
    QLabel* m_pDriverInfoLabel = nullptr;
    QFrame* m_pPrinterRule = nullptr;
};
