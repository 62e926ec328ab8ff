// Opening the program's tables. Each open operation opens one table from the current directory,
// selects its order, moves to its first record (the result in LastRc), binds its field handles
// and returns true. A table, tag or field that cannot be opened tells the user and ends the
// program through OpenFailed; should ending be held off (tests), the operation returns false.
#pragma once

#include <QString>

bool OpenSettings();   // CVN1, alone, in record order
bool OpenCustomers();  // CUST5, tag "cname"
bool OpenGroups();     // GROUPS, tag "nGroup"
bool OpenInvoices();   // INV5, tag "Inv"
bool OpenItems();      // ITM5, tag "Itm"
bool OpenLabels();     // LABELS, tag "Labels"
bool OpenPayments();   // PMT, tag "Pmt"
bool OpenProducts();   // Prod5, tag "Prod"
bool OpenPurchases();  // Pur5, tag "Pur"; binds no fields

// Closes every open table and clears the table handles.
void CloseAllTables();

// Bind the field handles of a table already open in its handle, with OpenFailed when a field
// is missing. The generator uses them to fill tables whose indexes it builds afterwards.
bool BindCustomerFields();
bool BindGroupFields();
bool BindInvoiceFields();
bool BindItemFields();
bool BindLabelFields();
bool BindPaymentFields();
bool BindProductFields();

// What OpenFailed and ExitOnError add after their message: a line break and "Program will now
// terminate." in the program; corvane-admin, where the failure ends one command, clears it.
extern QString EndingNotice;

// Shows "Unable to open file " + fileName and EndingNotice, then calls EndProgram.
void OpenFailed(const QString& fileName);

// When the engine has an error pending: shows its text and EndingNotice and calls EndProgram;
// returns whether an error was pending.
bool ExitOnError();
