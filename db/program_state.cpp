#include "db/program_state.h"

#include <cstdlib>

#include "db/chasing_tables.h"

std::unique_ptr<xbase::Context> DbContext;

int LastRc = 0;
bool PackPending = false;

xbase::Table* CustTbl = nullptr;
xbase::Table* GroupTbl = nullptr;
xbase::Table* InvTbl = nullptr;
xbase::Table* ItemTbl = nullptr;
xbase::Table* LabTbl = nullptr;
xbase::Table* PmtTbl = nullptr;
xbase::Table* ProdTbl = nullptr;
xbase::Table* PurTbl = nullptr;
xbase::Table* SetTbl = nullptr;

CustFields CustFld;
GroupFields GroupFld;
InvFields InvFld;
ItemFields ItemFld;
LabFields LabFld;
PmtFields PmtFld;
ProdFields ProdFld;
SetFields SetFld;

CustomerRecord CustBuf;
GroupRecord GroupBuf;
InvoiceRecord InvBuf;
ItemRecord ItemBuf;
LabelRecord LabBuf;
PaymentRecord PmtBuf;
ProductRecord ProdBuf;
PurchaseRecord PurBuf;
SettingsValues SettingsRecord;

ProgressHandler Progress;

namespace {

// The callers of an open or rebuild go on as if the table were there, so the end has to come
// at once, not when the event loop next runs.
void ExitProcess() {
    std::exit(EXIT_FAILURE);
}

}  // namespace

std::function<void()> EndProgram = ExitProcess;

size_t CacheBytesFromSetting(const QByteArray& megabytes) {
    constexpr size_t kDefaultMb = 64;
    bool ok = false;
    const int mb = megabytes.trimmed().toInt(&ok);
    return (ok && mb >= 1 && mb <= 65536 ? static_cast<size_t>(mb) : kDefaultMb) << 20;
}

void InitDbContext() {
    FreeDbContext();
    DbContext = std::make_unique<xbase::Context>(".");
    DbContext->setOptimize(true);
    DbContext->setCacheLimit(CacheBytesFromSetting(qgetenv("CORVANE_CACHE_MB")));
}

void FreeDbContext() {
    if (DbContext) DbContext->closeAll();
    DbContext.reset();
}

void ResetProgramState() {
    FreeDbContext();
    LastRc = 0;
    PackPending = false;
    CustTbl = GroupTbl = InvTbl = ItemTbl = LabTbl = PmtTbl = ProdTbl = PurTbl = SetTbl = nullptr;
    CustFld = {};
    GroupFld = {};
    InvFld = {};
    ItemFld = {};
    LabFld = {};
    PmtFld = {};
    ProdFld = {};
    SetFld = {};
    CustBuf = {};
    GroupBuf = {};
    InvBuf = {};
    ItemBuf = {};
    LabBuf = {};
    PmtBuf = {};
    ProdBuf = {};
    PurBuf = {};
    SettingsRecord = {};
    TermsRecord = {};
    Progress = {};
    EndProgram = ExitProcess;
}
