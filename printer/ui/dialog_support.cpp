#include "printer/ui/dialog_support.h"

#include <QFontDatabase>

#include "host/messages.h"
#include "resources/strings.h"

namespace printerui {

namespace {
std::string captionOf(const rules::Verdict& v) { return v.captionId ? res::text(v.captionId) : std::string(); }
}  // namespace

void showVerdict(const rules::Verdict& v) {
    if (v.messageId != 0) host::showMessage(captionOf(v), v.messageId, v.inserts);
    else if (!v.plainText.empty()) host::plainMessage(captionOf(v), v.plainText);
}

bool ask(const rules::Verdict& question) {
    return host::showMessage(captionOf(question), question.messageId, question.inserts) == host::kYes;
}

printer::Ask asker() { return [](const rules::Verdict& q) { return ask(q); }; }

QFont tableFont(const QFont& dialogFont) {
    QFont f = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    f.setStyleHint(QFont::TypeWriter);
    if (dialogFont.pointSizeF() > 0) f.setPointSizeF(dialogFont.pointSizeF());
    return f;
}

}  // namespace printerui
