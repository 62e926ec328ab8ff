#include "report/group_choice.h"

#include "core/convert.h"
#include "db/field_values.h"
#include "db/program_state.h"
#include "db/read_write.h"
#include "report/generator_steps.h"

namespace reports {

QStringList GroupItems() {
    QStringList items;
    GroupTbl->select(GroupTbl->tag("nGroup"));
    int rc = GroupTbl->top();
    for (; rc == xbase::kFound; rc = GroupTbl->skip()) {
        if (GroupTbl->deleted()) continue;
        ReadGroup();
        items << PadNum(GroupBuf.nGroup, 2) + " - " + TrimRight(GroupBuf.cGroup);
    }
    ReadFailed(rc);
    return items;
}

int GroupNumberOfItem(const QString& item) {
    return item.left(2).trimmed().toInt();
}

}  // namespace reports
