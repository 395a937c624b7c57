// Loading the stored parameters at start-up and storing them on "Speichern", with the
// questions asked before the program closes.
#include <algorithm>
#include <cstring>

#include "document/ptp_doc.h"
#include "host/messages.h"
#include "resources/strings.h"
#include "sdb/head.h"
#include "sdb/param_image.h"
#include "sdb/section_file.h"

namespace {

enum StringId {
    kTitle = 130,
    kCannotOpenFile = 556,
    kSaveChanges = 566,
    kClosing = 567,
    kFirmwareMissing = 2032,
    kNewDriverLoaded = 2041,
    kNoDriverOnModule = 2042,
    kLoadDriverFirst = 2044,
    kChangedElsewhere = 3101,
    kChangedElsewhereNotStored = 3102,
};

// How long a store waits for another program's store of the same module.
constexpr int kStoreWaitMs = 10000;
constexpr const char* kNotStored = "Die Parameter der Baugruppe können nicht gespeichert werden: ";

constexpr const char* kAttributeReadError = "Start ohne OM: Lesefehler bei GetData730()";

std::string closingTitle() { return res::text(kClosing) + res::text(kTitle); }

}  // namespace

sdb::BuildContext CPtpDoc::BuildContext() const {
    sdb::BuildContext ctx;
    ctx.moduleType = m_nModuleType;
    ctx.interfaceCode = m_nInterfaceCode;
    ctx.interfaceNo = m_nInterfaceNo;
    ctx.orderNo = m_szOrderNo;
    ctx.extendedModule = m_bExtendedModule != 0;
    ctx.releaseVersion = m_app.releaseVersion;
    ctx.protocol = m_nProtocol;
    return ctx;
}

void CPtpDoc::TakeDefaults() {
    SetHeadDefault(m_CurHead, headDefaultFor(m_nModuleType));
    m_CurParams = m_DefParams;
    m_CurPrinter = m_DefPrinter;
    SetModifiedFlag(true);
}

bool CPtpDoc::DecodeParameters(std::span<const uint8_t> image) {
    if (!m_pDriverData) m_pDriverData = std::make_unique<std::array<uint8_t, kDriverDataSize>>();
    sdb::ParamDecodeInput in;
    in.moduleType = m_nModuleType;
    in.image = image;
    // what a module's image does not carry (the CP 730 has no names) keeps its default
    in.params = m_DefParams;
    in.printer = m_DefPrinter;
    in.driverBuffer = *m_pDriverData;
    const sdb::ParamDecodeResult r = sdb::DecodeParamImage(in);
    if (r.status != sdb::ParamDecodeStatus::Ok) return false;
    m_CurHead = r.head;
    m_CurParams = r.params;
    BlockLengths = r.lengths;
    m_bOldLayout = r.oldLayout ? 1 : 0;
    if (r.printerRead) m_CurPrinter = r.printer;
    else m_CurPrinter = m_DefPrinter;
    m_nDriverDataLen = r.driverDataRead ? r.driverDataLength : 0;
    return true;
}

void CPtpDoc::DecodeTexts(std::span<const uint8_t> image) {
    if (sdb::ReadTextImage(image, *m_pTexts).status == sdb::TextReadStatus::Absent) SetModifiedFlag(true);
    m_CurTextName = m_pTexts->name;
    m_TextHead = m_pTexts->head;
}

int CPtpDoc::LoadContainer() {
    std::vector<uint8_t> bytes;
    if (m_bFromProject) {
        bytes.resize(kContainerBufferSize);
        long n = AUTGetLongBinaryAttribute(m_hModuleObject, kAttrParameterBlock, bytes.data(),
                                           static_cast<long>(bytes.size()));
        if (n < 1) {
            m_LoadedBlock = {};
            host::plainMessage(res::text(kTitle), kAttributeReadError);
            TakeDefaults();
            return 0;
        }
        bytes.resize(static_cast<size_t>(n));
        m_LoadedBlock = {true, bytes};
    } else {
        transfer::ReadResult r = transfer::ReadFile(m_szTransferFile, kContainerBufferSize);
        m_LoadedBlock = r.status == transfer::ReadStatus::Ok ? stored::Snapshot{true, r.bytes} : stored::Snapshot{};
        if (r.status != transfer::ReadStatus::Ok) {
            host::showMessage(res::text(kTitle), kCannotOpenFile);
            TakeDefaults();
            return 0;
        }
        bytes = std::move(r.bytes);
    }

    auto contents = std::make_unique<sdb::ContainerContents>();
    sdb::ReadContainer(bytes, *contents);
    if (contents->status != sdb::ContainerReadStatus::Ok) {
        TakeDefaults();
        return 0;
    }
    if (contents->headerPresent) m_HeaderRecord = contents->header;
    m_RecordPair = contents->pair;
    m_bTextPresent = contents->textPresent ? 1 : 0;

    if (!DecodeParameters(contents->paramImage())) {
        // An empty block: the defaults are stored at exit without a question.
        SetHeadDefault(m_CurHead, headDefaultFor(m_nModuleType));
        m_CurParams = m_DefParams;
        m_CurPrinter = m_DefPrinter;
        m_bSaveOnExit = 1;
    } else if (m_nModuleType == kCP731 && m_CurParams.wProtocolId >= kIdDriverBase) {
        if (HandleStoredDriver() != 0) return 1;
    }
    if (m_bTextPresent) DecodeTexts(contents->textImage());
    return 0;
}

int CPtpDoc::LoadSectionFile() {
    transfer::ReadResult r = transfer::ReadFile(m_szTransferFile, kSectionBufferSize);
    m_LoadedBlock = r.status == transfer::ReadStatus::Ok ? stored::Snapshot{true, r.bytes} : stored::Snapshot{};
    if (r.status != transfer::ReadStatus::Ok) {
        host::showMessage(res::text(kTitle), kCannotOpenFile);
        TakeDefaults();
        return 0;
    }
    const sdb::SectionFileContents file = sdb::ReadSectionFile(r.bytes);
    if (file.status == sdb::SectionReadStatus::BadCount) {
        TakeDefaults();
        return 0;
    }
    m_nBlockCount = file.sectionCount;
    m_DriverSections = file.driverParts;
    m_bTextPresent = file.textImage ? 1 : 0;

    bool givenUp = false;
    if (!file.paramImage || !DecodeParameters(*file.paramImage)) {
        SetHeadDefault(m_CurHead, headDefaultFor(m_nModuleType));
        m_CurParams = m_DefParams;
        m_CurPrinter = m_DefPrinter;
        m_bSaveOnExit = 1;
    } else if (m_CurParams.wProtocolId >= kIdDriverBase) {
        if (LoadSectionDriver(file.driverParts[kPartCode], givenUp) != 0) return 1;
    }
    if (!givenUp) {
        // the heads of the firmware and protocol part
        for (int part : {kPartFirmware, kPartProtocol})
            if (const auto& section = file.driverParts[static_cast<size_t>(part)])
                if (auto head = sdb::ReadHead(*section)) m_DrvHead[static_cast<size_t>(part)] = *head;
    }
    // Message texts stored with a driver whose installation does without them are dropped.
    if (m_bTextPresent && isLoadableDriver(m_nProtocol) && !DriverHasTexts()) {
        m_bTextPresent = 0;
        --m_nBlockCount;
    }
    if (m_bTextPresent) DecodeTexts(*file.textImage);
    return 0;
}

std::vector<uint8_t> CPtpDoc::BuildStoredBlock(std::string* problem) {
    sdb::ParamBuildInput in;
    in.ctx = BuildContext();
    in.params = m_CurParams;
    in.printer = m_CurPrinter;
    in.lengths = BlockLengths;
    in.head = m_CurHead;
    in.driverHasTexts = DriverHasTexts();
    if (isLoadableDriver(m_nProtocol) && (m_nModuleType == kCP731 || m_nModuleType == kCP8312)) {
        // The driver's data goes behind the printer-output block of a driver with texts and in
        // its place otherwise; a block stored while the driver was installed the other way
        // round gets the sub-blocks the installed driver uses.
        if (!in.driverHasTexts) std::fill(in.lengths.begin() + 4, in.lengths.end(), 0);
        else if (in.lengths[4] == 0) {
            in.lengths[3] = 7;
            in.lengths[4] = 65;
            in.lengths[5] = 256;
        }
    }
    in.driverDataArea = m_pDriverData != nullptr && isLoadableDriver(m_nProtocol);
    if (in.driverDataArea) in.driverData = std::span<const uint8_t>(m_pDriverData->data(), m_nDriverDataLen);
    in.oldLayout = m_bOldLayout != 0;
    const sdb::ParamBuildResult param = sdb::BuildParamImage(in);
    if (param.status != sdb::ParamBuildStatus::Ok) {
        if (problem) *problem = "Parameterblock kann nicht gebildet werden";
        return {};
    }
    m_CurHead = param.head;
    m_CurParams = param.params;
    BlockLengths = param.lengths;
    m_bOldLayout = param.oldLayout ? 1 : 0;

    sdb::TextBuildResult text;
    if (m_bTextPresent) {
        m_pTexts->name = m_CurTextName;
        text = sdb::BuildTextImage(in.ctx, *m_pTexts);
        if (!text.ok) {
            if (problem) *problem = "Textblock kann nicht gebildet werden";
            return {};
        }
        m_TextHead = text.head;
        m_pTexts->head = text.head;
    }

    if (isCP831(m_nModuleType)) {
        sdb::SectionFileInput s;
        s.interfaceNo = static_cast<uint8_t>(m_nInterfaceNo);
        s.sectionCount = m_nBlockCount;
        s.protocolId = m_CurParams.wProtocolId;
        s.interfaceByte = m_CurParams.byInterface;
        s.paramImage = param.image;
        if (m_bTextPresent) s.textImage = std::span<const uint8_t>(text.image);
        // The parts of a checked driver come from its files; sections nothing checked are
        // written back as they were read.
        std::array<std::vector<uint8_t>, 3> driverImages;
        if (m_nDrvBlockMask != 0) {
            // a checked driver that gave way to a built-in protocol leaves no parts behind
            if (isLoadableDriver(m_nProtocol) && !BuildDriverImages(driverImages, problem)) return {};
            for (size_t i = 0; i < driverImages.size(); ++i)
                if (!driverImages[i].empty()) s.driverParts[i] = std::span<const uint8_t>(driverImages[i]);
        } else {
            for (size_t i = 0; i < m_DriverSections.size(); ++i)
                if (m_DriverSections[i]) s.driverParts[i] = std::span<const uint8_t>(*m_DriverSections[i]);
        }
        sdb::SectionWriteResult w = sdb::WriteSectionFile(s);
        if (w.status != sdb::SectionWriteStatus::Ok) {
            if (problem) *problem = "Die Datenübergabedatei wird zu groß";
            return {};
        }
        return std::move(w.bytes);
    }

    sdb::ContainerBuildInput c;
    c.moduleType = m_nModuleType;
    c.header = m_HeaderRecord;
    c.pair = m_RecordPair;
    c.paramImage = param.image;
    c.texts = m_bTextPresent != 0;
    c.textImage = text.image;
    sdb::ContainerBuildResult packed = sdb::BuildContainer(c);
    if (packed.status != sdb::ContainerBuildStatus::Ok) {
        if (problem) {
            std::string text;
            if (packed.tooManyParamRecords) text = sdb::kTooManyParamRecordsText;
            if (packed.tooManyTextRecords) text += (text.empty() ? "" : "\n\n") + std::string(sdb::kTooManyTextRecordsText);
            *problem = text.empty() ? "Der Datenbaustein kann nicht gepackt werden" : text;
        }
        return {};
    }
    return std::move(packed.bytes);
}

bool CPtpDoc::WriteTransferFile(const std::vector<uint8_t>& bytes) {
    std::string error;
    if (transfer::WriteFile(m_szTransferFile, bytes, &error, m_writeFailure)) return true;
    // the file's own message, and why the store failed: which file, no permission, disk full, ...
    host::showMessageAdding(res::text(kTitle), kCannotOpenFile, "Nicht gespeichert: " + error);
    return false;
}

// The CP 831 always keeps its section file in the data transfer file.
bool CPtpDoc::StoresInProject() const { return m_bFromProject && !isCP831(m_nModuleType); }

stored::Snapshot CPtpDoc::ReadStoredBlock() const {
    if (StoresInProject()) {
        std::vector<uint8_t> bytes(kContainerBufferSize);
        const long n = AUTGetLongBinaryAttribute(m_hModuleObject, kAttrParameterBlock, bytes.data(),
                                                 static_cast<long>(bytes.size()));
        if (n < 1) return {};
        bytes.resize(static_cast<size_t>(n));
        return {true, std::move(bytes)};
    }
    transfer::ReadResult r =
        transfer::ReadFile(m_szTransferFile, isCP831(m_nModuleType) ? kSectionBufferSize : kContainerBufferSize);
    if (r.status != transfer::ReadStatus::Ok) return {};
    return {true, std::move(r.bytes)};
}

bool CPtpDoc::HoldStoredBlock(int waitMs, std::unique_ptr<stored::Hold>& hold, const std::string& purpose) {
    std::string why;
    if (!StoresInProject())
        hold = stored::HoldFile(m_szTransferFile, waitMs, &why);
    else if (host::Project* project = host::currentProject())
        hold = stored::HoldProject(*project, waitMs, &why);
    else
        return true;  // no project: the read and the write report it
    if (hold) return true;
    host::plainMessage(res::text(kTitle), purpose + why);
    return false;
}

bool CPtpDoc::ReleaseStoredBlock() {
    if (!m_pHold) return true;
    std::string why;
    const bool kept = m_pHold->keep(&why);
    m_pHold.reset();
    if (!kept) host::plainMessage(res::text(kTitle), kNotStored + why);
    return kept;
}

bool CPtpDoc::WriteStoredBlock(const std::vector<uint8_t>& bytes) {
    if (!StoresInProject()) return WriteTransferFile(bytes);
    if (AUTSetLongBinaryAttribute(m_hModuleObject, kAttrParameterBlock, bytes.data(),
                                  static_cast<long>(bytes.size())) < 0) {
        AUTFlushDelayedError(0, 1);
        return false;
    }
    return true;
}

bool CPtpDoc::StoreBlock() {
    std::string problem;
    std::vector<uint8_t> bytes = BuildStoredBlock(&problem);
    if (bytes.empty()) {
        // Nothing is written: the stored block stays as it was.
        host::plainMessage(res::text(kTitle), problem);
        return false;
    }
    // The block is written only over the one this document loaded (or last stored): a block
    // another program stored in between is overwritten only when the user says so.
    for (;;) {
        std::unique_ptr<stored::Hold> hold;
        if (!m_pHold && !HoldStoredBlock(kStoreWaitMs, hold, kNotStored)) return false;
        const stored::Snapshot now = ReadStoredBlock();
        if (now == m_LoadedBlock) {
            if (!WriteStoredBlock(bytes)) return false;
            std::string why;
            if (hold && !hold->keep(&why)) {
                host::plainMessage(res::text(kTitle), kNotStored + why);
                return false;
            }
            m_LoadedBlock = {true, std::move(bytes)};
            if (StoresInProject() && AUTSaveObjectSet(1) != 0) {
                AUTFlushDelayedError(0, 1);
                return false;
            }
            return true;
        }
        hold.reset();
        if (!m_bAskBeforeOverwrite) {
            host::showMessage(res::text(kTitle), kChangedElsewhereNotStored);
            return false;
        }
        if (host::showMessage(res::text(kTitle), kChangedElsewhere) != host::kYes) return false;
        m_LoadedBlock = now;  // what the user agreed to overwrite, unless it changes again
    }
}

int CPtpDoc::Store() {
    if (m_bOnline) return 1;
    if (IsModified()) {
        if (m_nModuleType == kCP731 && m_bDriverPending && !m_bModuleDrvKnown && !m_bDriverLoaded &&
            m_nProductVersion < 2) {
            int answer = host::showMessage(closingTitle(), kLoadDriverFirst);
            return answer == host::kNo ? 1 : 0;
        }
        // A failed write keeps the changes marked, so that closing asks again.
        if (!StoreBlock()) return 0;
        SetModifiedFlag(false);
        m_bSaveOnExit = 0;
    }
    if (m_bSaveObjectSet && AUTSaveObjectSet(1) != 0) AUTFlushDelayedError(0, 1);
    return 1;
}

int CPtpDoc::SaveModified() {
    if (m_bOnline) return 1;
    const std::string title = closingTitle();
    if (m_bFirmwareMissing && host::showMessage(title, kFirmwareMissing) == host::kYes) return 0;
    if (m_nModuleType == kCP731 && m_nDrvBlockMask != 0 && m_byModuleDrvVerHi == 0 && m_byModuleDrvVerLo == 0)
        host::showMessage(title, kNoDriverOnModule);
    if (IsModified()) {
        switch (host::showMessage(title, kSaveChanges)) {
        case host::kYes: return Store();
        case host::kNo:
            if (!m_bDriverLoaded) return 1;
            switch (host::showMessage(title, kNewDriverLoaded)) {
            case host::kYes: return Store();
            case host::kNo: return 1;
            default: return 0;
            }
        default: return 0;
        }
    }
    if (m_bSaveOnExit) {
        SetModifiedFlag(true);
        Store();
    }
    return 1;
}

int CPtpDoc::Show(long, long, long, long, long, long, const std::string&) {
    m_bSaveObjectSet = 1;
    m_app.initDone = 0;
    return 0;
}
