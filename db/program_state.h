// Every program-wide variable of the data store in one place: the table engine's context, one
// handle per table and per bound field, the record buffers, the settings, the result of the
// last positioning call, the pending-pack flag, and the two actions the data store calls out
// through (progress display and ending the program). ResetProgramState() puts all of it back to
// its state at program start, closing any open table; tests call it between cases.
#pragma once

#include <QByteArray>
#include <functional>
#include <memory>

#include "db/records.h"
#include "db/xbase/xbase.h"

// Field handles bound when a table is opened, valid while it stays open.
struct CustFields {
    xbase::Field* cuno = nullptr;
    xbase::Field* title = nullptr;
    xbase::Field* first = nullptr;
    xbase::Field* last = nullptr;
    xbase::Field* addr1 = nullptr;
    xbase::Field* addr2 = nullptr;
    xbase::Field* addr3 = nullptr;
    xbase::Field* addr4 = nullptr;
    xbase::Field* zip = nullptr;
    xbase::Field* comments = nullptr;
    xbase::Field* ngroup = nullptr;
    xbase::Field* note = nullptr;
    xbase::Field* phone = nullptr;
    xbase::Field* fax = nullptr;
    xbase::Field* email = nullptr;
};

struct GroupFields {
    xbase::Field* nGroup = nullptr;
    xbase::Field* cGroup = nullptr;
};

struct InvFields {
    xbase::Field* IvNo = nullptr;
    xbase::Field* CuNo = nullptr;
    xbase::Field* Dept = nullptr;
    xbase::Field* IDate = nullptr;
    xbase::Field* IMemo = nullptr;
    xbase::Field* Ship = nullptr;
    xbase::Field* Tax = nullptr;
    xbase::Field* Due = nullptr;
    xbase::Field* REM = nullptr;
};

struct ItemFields {
    xbase::Field* IvNo = nullptr;
    xbase::Field* PrID = nullptr;
    xbase::Field* Qty = nullptr;
    xbase::Field* UPR = nullptr;
    xbase::Field* LTax1 = nullptr;
    xbase::Field* LTax2 = nullptr;
    xbase::Field* PDesc = nullptr;
    xbase::Field* IComm = nullptr;
};

struct LabFields {
    xbase::Field* Name = nullptr;
    xbase::Field* TopM = nullptr;
    xbase::Field* LeftM = nullptr;
    xbase::Field* BottomM = nullptr;
    xbase::Field* RightM = nullptr;
    xbase::Field* Width = nullptr;
    xbase::Field* Height = nullptr;
    xbase::Field* HGap = nullptr;
    xbase::Field* VGap = nullptr;
    xbase::Field* NAcross = nullptr;
    xbase::Field* Continuous = nullptr;
};

struct PmtFields {
    xbase::Field* IvNo = nullptr;
    xbase::Field* PDate = nullptr;
    xbase::Field* PAmt = nullptr;
};

struct ProdFields {
    xbase::Field* PrID = nullptr;
    xbase::Field* RCode = nullptr;
    xbase::Field* PDesc = nullptr;
    xbase::Field* UPrice = nullptr;
    xbase::Field* LTax1 = nullptr;
    xbase::Field* LTax2 = nullptr;
    xbase::Field* lInven = nullptr;
    xbase::Field* IComm = nullptr;
    xbase::Field* PMemo = nullptr;
};

struct SetFields {
    xbase::Field* FontName = nullptr;
    xbase::Field* FontSize = nullptr;
    xbase::Field* LabID = nullptr;
    xbase::Field* Company = nullptr;
    xbase::Field* Addr1 = nullptr;
    xbase::Field* Addr2 = nullptr;
    xbase::Field* Addr3 = nullptr;
    xbase::Field* Addr4 = nullptr;
    xbase::Field* CloLine = nullptr;
    xbase::Field* SigLine = nullptr;
    xbase::Field* LogoFile = nullptr;
    xbase::Field* LogoHeight = nullptr;
    xbase::Field* LogoWidth = nullptr;
    xbase::Field* ShipLine = nullptr;
    xbase::Field* TaxLine = nullptr;
    xbase::Field* ShipTax = nullptr;
    xbase::Field* TaxRound = nullptr;
    xbase::Field* LHJustify = nullptr;
    xbase::Field* TaxRate1 = nullptr;
    xbase::Field* TaxRate2 = nullptr;
    xbase::Field* TopMargin = nullptr;
    xbase::Field* ByCust = nullptr;
    xbase::Field* fifo = nullptr;
};

// The progress box of the main window: shown with a caption or hidden, and set to a percentage.
struct ProgressHandler {
    std::function<void(bool visible, const QString& caption)> show;
    std::function<void(int percent)> set;
};

// The engine context; tables are opened from the current directory.
extern std::unique_ptr<xbase::Context> DbContext;

// Result of the last positioning call: 0 found or moved, 2 on the next greater key, 3 end.
extern int LastRc;
// Set by every deletion in a master-data editor; cleared by packing.
extern bool PackPending;

extern xbase::Table* CustTbl;
extern xbase::Table* GroupTbl;
extern xbase::Table* InvTbl;
extern xbase::Table* ItemTbl;
extern xbase::Table* LabTbl;
extern xbase::Table* PmtTbl;
extern xbase::Table* ProdTbl;
extern xbase::Table* PurTbl;
extern xbase::Table* SetTbl;

extern CustFields CustFld;
extern GroupFields GroupFld;
extern InvFields InvFld;
extern ItemFields ItemFld;
extern LabFields LabFld;
extern PmtFields PmtFld;
extern ProdFields ProdFld;
extern SetFields SetFld;

extern CustomerRecord CustBuf;
extern GroupRecord GroupBuf;
extern InvoiceRecord InvBuf;
extern ItemRecord ItemBuf;
extern LabelRecord LabBuf;
extern PaymentRecord PmtBuf;
extern ProductRecord ProdBuf;
extern PurchaseRecord PurBuf;
extern SettingsValues SettingsRecord;

// Where long operations report progress; by default nowhere.
extern ProgressHandler Progress;
// Ends the program at once after an unrecoverable table error. The default ends the process
// with exit code 1; tests install one that only records the call.
extern std::function<void()> EndProgram;

// The memory the table engine may keep of what it read, in bytes: the environment variable
// CORVANE_CACHE_MB, when it holds a whole number of megabytes from 1 to 65536, else 64 MB.
size_t CacheBytesFromSetting(const QByteArray& megabytes);
// Creates DbContext on the current directory ("."), replacing any earlier one, with the cache
// budget CORVANE_CACHE_MB gives.
void InitDbContext();
// Closes every table and frees DbContext.
void FreeDbContext();

// Frees the context and puts every variable above back to its starting value.
void ResetProgramState();
