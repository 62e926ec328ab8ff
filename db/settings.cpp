#include "db/settings.h"

#include "core/prompt.h"
#include "db/change.h"
#include "db/chasing_tables.h"
#include "db/field_values.h"
#include "db/open_tables.h"
#include "db/program_state.h"

void ReadSettings() {
    const SetFields& f = SetFld;
    SettingsValues& s = SettingsRecord;
    if (SetTbl->recCount() == 0) {
        s = {};
        return;
    }
    s.FontName = ReadText(f.FontName);
    s.FontSize = f.FontSize->asInt();
    s.LabID = ReadText(f.LabID);
    s.Company = ReadText(f.Company);
    s.Addr1 = ReadText(f.Addr1);
    s.Addr2 = ReadText(f.Addr2);
    s.Addr3 = ReadText(f.Addr3);
    s.Addr4 = ReadText(f.Addr4);
    s.CloLine = ReadText(f.CloLine);
    s.SigLine = ReadText(f.SigLine);
    s.LogoFile = ReadText(f.LogoFile);
    s.LogoHeight = f.LogoHeight->asDouble();
    s.LogoWidth = f.LogoWidth->asDouble();
    s.ShipLine = ReadText(f.ShipLine);
    s.TaxLine = ReadText(f.TaxLine);
    s.ShipTax = f.ShipTax->asInt();
    s.TaxRound = f.TaxRound->asInt();
    s.LHJustify = f.LHJustify->asInt();
    s.TaxRate1 = f.TaxRate1->asDouble();
    s.TaxRate2 = f.TaxRate2->asDouble();
    s.TopMargin = f.TopMargin->asDouble();
    s.ByCust = f.ByCust->isTrue();
    s.fifo = f.fifo->isTrue();
}

void WriteSettings() {
    const SetFields& f = SetFld;
    const SettingsValues& s = SettingsRecord;
    if (SetTbl->recCount() == 0) LastRc = SetTbl->appendBlank();
    WriteText(f.FontName, s.FontName);
    f.FontSize->assignInt(s.FontSize);
    WriteText(f.LabID, s.LabID);
    WriteText(f.Company, s.Company);
    WriteText(f.Addr1, s.Addr1);
    WriteText(f.Addr2, s.Addr2);
    WriteText(f.Addr3, s.Addr3);
    WriteText(f.Addr4, s.Addr4);
    WriteText(f.CloLine, s.CloLine);
    WriteText(f.SigLine, s.SigLine);
    // A logo path cut short would name no file, and the letterhead would lose its logo.
    WriteWholeText(f.LogoFile, s.LogoFile);
    f.LogoHeight->assignDouble(s.LogoHeight);
    f.LogoWidth->assignDouble(s.LogoWidth);
    WriteText(f.ShipLine, s.ShipLine);
    WriteText(f.TaxLine, s.TaxLine);
    f.ShipTax->assignInt(s.ShipTax);
    f.TaxRound->assignInt(s.TaxRound);
    f.LHJustify->assignInt(s.LHJustify);
    f.TaxRate1->assignDouble(s.TaxRate1);
    f.TaxRate2->assignDouble(s.TaxRate2);
    f.TopMargin->assignDouble(s.TopMargin);
    WriteLogical(f.ByCust, s.ByCust);
    WriteLogical(f.fifo, s.fifo);
}

bool LoadSettings() {
    if (!OpenSettings()) return false;
    ReadSettings();
    SetTbl->close();
    SetTbl = nullptr;
    return ReadPaymentTerms(&TermsRecord);
}

bool SaveSettings() {
    if (!OpenSettings()) return false;
    QString error;
    bool saved = BeginChange(&error);
    if (saved) {
        DbContext->errorCode();
        WriteSettings();
        // A text the tables cannot store (a font's name, say) is not written: nothing is.
        if (DbContext->errorCode() < 0) {
            error = QString::fromStdString(DbContext->errorText());
            RollbackChange();
            saved = false;
        } else {
            saved = CommitChange(&error);
        }
    }
    SetTbl->close();
    SetTbl = nullptr;
    if (!saved) prompt::warning(nullptr, "The settings could not be saved.\n" + error);
    return saved;
}

bool StoreSettings(QString* error) {
    error->clear();
    if (!OpenSettings()) return false;
    DbContext->errorCode();
    WriteSettings();
    const int flushed = SetTbl->flush();
    const int closed = SetTbl->close();
    SetTbl = nullptr;
    const int pending = DbContext->errorCode();
    if (flushed >= 0 && closed >= 0 && pending == 0 && LastRc >= 0) return true;
    *error = QString::fromStdString(DbContext->errorText());
    return false;
}
