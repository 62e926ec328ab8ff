#include "masters/address_block.h"

#include "db/program_state.h"

std::array<QString, 5> AddressLines;

namespace {

constexpr int kLongestLineBeforeCode = 22;
constexpr int kCodeIndent = 20;

}  // namespace

void CustAddressBlock() {
    const CustomerRecord& c = CustBuf;
    QStringList parts;
    for (const QString& part : {c.title, c.first, c.last})
        if (!part.trimmed().isEmpty()) parts << part.trimmed();
    const QString name = parts.join(' ');
    if (SettingsRecord.ByCust) {
        AddressLines[0] = name;
        AddressLines[1] = c.addr1.trimmed();
    } else {
        AddressLines[0] = c.addr1.trimmed();
        AddressLines[1] = name;
    }
    AddressLines[2] = c.addr2.trimmed();
    AddressLines[3] = c.addr3.trimmed();
    AddressLines[4] = c.addr4.trimmed();

    int last = 4;
    while (last > 0 && AddressLines[last].isEmpty()) --last;
    const QString code = c.zip.trimmed();
    if (AddressLines[last].size() > kLongestLineBeforeCode && last < 4)
        AddressLines[last + 1] = QString(kCodeIndent, ' ') + code;
    else
        AddressLines[last] += "  " + code;
}
