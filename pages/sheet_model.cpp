#include "pages/sheet_model.h"

#include <cstdio>

#include "pages/sheet_state.h"
#include "resources/strings.h"

namespace rules {

using namespace sheet;

// ---- the model -----------------------------------------------------------------------

SheetModel::SheetModel() : s_(new State) {}
SheetModel::~SheetModel() { delete s_; }
SheetModel::SheetModel(const SheetModel& o)
    : sheet_(o.sheet_), ctx_(o.ctx_), interfaceNo_(o.interfaceNo_), pages_(o.pages_), initialised_(o.initialised_),
      active_(o.active_), accepted_(o.accepted_), given_(o.given_), notices_(o.notices_), s_(new State(*o.s_)) {}
SheetModel& SheetModel::operator=(const SheetModel& o) {
    if (this != &o) {
        SheetModel copy(o);
        *this = std::move(copy);
    }
    return *this;
}
SheetModel::SheetModel(SheetModel&& o) noexcept
    : sheet_(o.sheet_), ctx_(o.ctx_), interfaceNo_(o.interfaceNo_), pages_(std::move(o.pages_)),
      initialised_(std::move(o.initialised_)), active_(o.active_), accepted_(o.accepted_), given_(o.given_),
      notices_(std::move(o.notices_)), s_(o.s_) {
    o.s_ = nullptr;
}
SheetModel& SheetModel::operator=(SheetModel&& o) noexcept {
    if (this != &o) {
        delete s_;
        sheet_ = o.sheet_;
        ctx_ = o.ctx_;
        interfaceNo_ = o.interfaceNo_;
        pages_ = std::move(o.pages_);
        initialised_ = std::move(o.initialised_);
        active_ = o.active_;
        accepted_ = o.accepted_;
        given_ = o.given_;
        notices_ = std::move(o.notices_);
        s_ = o.s_;
        o.s_ = nullptr;
    }
    return *this;
}

std::optional<SheetModel> SheetModel::open(const SheetContext& ctx, const CDb& db) {
    const auto sheet = sheetFor(ctx.check.moduleType, ctx.protocol);
    if (!sheet) return std::nullopt;
    SheetModel m;
    m.sheet_ = *sheet;
    m.ctx_ = ctx.check;
    m.interfaceNo_ = ctx.interfaceNo;
    m.given_ = db;
    m.pages_ = sheetPages(*sheet, ctx.check);
    m.initialised_.assign(m.pages_.size(), false);
    *m.s_ = openState(ctx.check, *sheet, db, m.notices_);
    m.initPage(0);
    return m;
}

const char* SheetModel::className() const { return sheetClassName(sheet_); }

std::string SheetModel::title() const {
    std::string t = res::text(10470);
    if (ctx_.moduleType == kCP8312) {
        char no[16];
        std::snprintf(no, sizeof no, "%-4d", interfaceNo_);
        t += ":  " + res::text(10523) + " " + no;
    }
    return t;
}

void SheetModel::initPage(int index) {
    if (index >= 0 && index < static_cast<int>(initialised_.size())) initialised_[index] = true;
}

std::vector<FieldState> SheetModel::fields() const {
    std::vector<FieldState> out;
    for (const auto& page : pages_)
        for (const Entry* e : allEntries())
            if (e->info.page == page.kind && present(*e, *s_)) out.push_back(stateOf(*e, *s_));
    return out;
}

std::optional<FieldState> SheetModel::field(std::string_view name) const {
    const Entry* e = findEntry(*s_, name);
    if (!e || pageOf(name) < 0) return std::nullopt;
    return stateOf(*e, *s_);
}

int SheetModel::pageOf(std::string_view name) const {
    // byV24Signals is the fourth radio of the flow control.
    if (name == "byV24Signals") name = "byFlowCtrl";
    const Entry* e = findEntry(*s_, name);
    if (!e) return -1;
    for (size_t i = 0; i < pages_.size(); ++i)
        if (pages_[i].kind == e->info.page) return static_cast<int>(i);
    return -1;
}

SheetModel::SetResult SheetModel::set(std::string_view nameIn, std::string_view textIn) {
    SetResult out;
    std::string name(nameIn);
    const std::string text(textIn);
    const bool v24 = name == "byV24Signals" && isAscii(sheet_) && !is830(ctx_);
    const Entry* e = findEntry(*s_, v24 ? "byFlowCtrl" : name);
    const int page = pageOf(name);
    if (!e || page < 0) {
        out.verdict = plain(name + " kann bei diesem Modul und Protokoll nicht eingestellt werden.");
        out.why = Refusal::NotHere;
        return out;
    }
    if (ctx_.readOnly) {
        out.verdict = plain("Im Online-Betrieb können die Parameter nicht geändert werden.");
        out.why = Refusal::Disabled;
        return out;
    }
    initPage(page);
    // The text the field already shows changes nothing, also where the control is disabled.
    const FieldState now = stateOf(*e, *s_);
    if (!v24) {
        const bool same = e->info.unit == Unit::Hex ? readHex(text) == readHex(now.text) && !text.empty()
                          : e->info.unit == Unit::Choice ? squeeze(text) == squeeze(now.text)
                                                         : text == now.text;
        if (same && !now.text.empty()) return out;
    }
    State trial = *s_;
    Taker taker(trial, name, text);
    Outcome o = taker.take(*e);
    if (o.why == Why::Taken) {
        *s_ = trial;
        accepted_ = false;
        return out;
    }
    out.verdict = o.verdict;
    out.verdict.accepted = false;
    out.why = o.why == Why::Disabled ? Refusal::Disabled : o.why == Why::NotHere ? Refusal::NotHere : Refusal::Value;
    // What the page would have put into the field: the corrected value of a field check.
    if (o.verdict.messageId != 0 && o.verdict.focus != Field::None) {
        State corrected = *s_;
        std::string value = std::to_string(o.verdict.value);
        if (e->info.unit == Unit::Hex) value = hexText(o.verdict.value);
        Taker fix(corrected, name, value);
        if (fix.take(*e).why == Why::Taken) out.correctedText = stateOf(*e, corrected).text;
    }
    return out;
}

Verdict SheetModel::checkPage(int index) {
    Verdict v;
    if (index < 0 || index >= static_cast<int>(pages_.size())) return v;
    auto& s = *s_;
    switch (pages_[index].kind) {
    case K::Protocol:
        if (is3964Like(sheet_)) return checkProtocolPage3964(s.ctx, s.proto);
        if (isAscii(sheet_)) return checkAsciiPage(s.ctx, s.ascii);
        return checkPrinterPage(s.ctx, s.printer);
    case K::Transmission: return checkTransmissionPage(s.ctx, s.trans);
    case K::Receive: return checkReceivePage(s.ctx, s.recv);
    case K::Interface: return v;
    }
    return v;
}

Verdict SheetModel::checkActivePage() { return checkPage(active_); }

Verdict SheetModel::selectPage(int index) {
    if (index == active_ || index < 0 || index >= static_cast<int>(pages_.size())) return Verdict{};
    Verdict v = checkActivePage();
    if (!v.accepted) return v;
    active_ = index;
    initPage(index);
    return v;
}

SheetModel::OkResult SheetModel::ok() {
    OkResult out;
    accepted_ = false;
    out.verdict = checkActivePage();
    if (!out.verdict.accepted) return out;
    if (isAscii(sheet_)) {
        out.verdict = checkAsciiSheet(s_->ctx, s_->ascii, s_->trans, s_->recv, s_->operatingMode);
        if (!out.verdict.accepted) return out;
    }
    if (is3964Like(sheet_)) {
        Verdict hint = priorityHint(ctx_, s_->proto.priority);
        if (hint.hasMessage()) out.notices.push_back(hint);
    }
    accepted_ = true;
    return out;
}

void SheetModel::writeBack(CDb& db) const {
    if (!accepted_) return;
    for (size_t i = 0; i < pages_.size(); ++i)
        if (initialised_[i]) encodePage(pages_[i].kind, *s_, db);
    clearUnused(*s_, db);
}

}  // namespace rules
