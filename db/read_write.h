// Copying between the current record of an open table and its program-wide buffer, field by
// field, with the conversions of field_values.h. A write changes only the current record: the
// caller positions the table first (go, or appendBlank for a new record), and the change reaches
// the file when the table moves, is flushed or is closed.
#pragma once

void ReadCustomer();
void WriteCustomer();
void ReadGroup();
void WriteGroup();
void ReadInvoice();
void WriteInvoice();
void ReadItem();
void WriteItem();  // also stores "F" in lBuild and 0 in BackOrder
void ReadLabel();
void WriteLabel();
void ReadPayment();
void WritePayment();
void ReadProduct();   // REORDER and ONHAND looked up by name
void WriteProduct();  // also stores "F" in lBuild
void ReadPurchase();  // every field looked up by name
void WritePurchase();

// Finds the group of CustBuf in GROUPS (selecting tag "nGroup"), result in LastRc; reads it
// into GroupBuf when found, otherwise sets GroupBuf to number 0 and an empty name.
void FindGroup();
