#include "tests/app/main_window_fixture.h"

#include "db/xbase/xbase.h"

namespace {

xbase::Table* OpenAlone(xbase::Context& context, const char* table) {
    context.setAutoOpen(false);
    xbase::Table* t = context.open(table);
    EXPECT_NE(t, nullptr) << "cannot open " << table;
    return t;
}

}  // namespace

StoredSettings ReadStoredSettings() {
    xbase::Context context(".");
    xbase::Table* t = OpenAlone(context, "CVN1");
    if (!t) return {};
    t->top();
    StoredSettings s;
    s.fontName = QString::fromStdString(t->field("FontName")->str()).trimmed();
    s.fontSize = t->field("FontSize")->asInt();
    s.company = QString::fromStdString(t->field("Company")->str()).trimmed();
    s.byCust = t->field("ByCust")->isTrue();
    s.fifo = t->field("fifo")->isTrue();
    return s;
}

void StoreCompany(const QString& company) {
    xbase::Context context(".");
    xbase::Table* t = OpenAlone(context, "CVN1");
    if (!t) return;
    t->top();
    t->field("Company")->assign(company.toStdString());
    t->close();
}

int RecordCount(const char* table) {
    xbase::Context context(".");
    xbase::Table* t = OpenAlone(context, table);
    return t ? static_cast<int>(t->recCount()) : -1;
}
