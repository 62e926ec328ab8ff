// Label runs over the hand-made business of the sales reports, with label stocks added through
// the program's own write operations.
#pragma once

#include "db/open_tables.h"
#include "db/program_state.h"
#include "db/read_write.h"
#include "reports/generator_steps.h"
#include "tests/reports/sales_data_fixture.h"

class LabelDataTest : public SalesDataTest {
protected:
    // Three across on Letter: labels of 189 x 72 points, 9 apart, from 36 down and 13.5 in.
    static LabelRecord ThreeAcross(const QString& name) {
        LabelRecord s;
        s.Name = name;
        s.TopM = 36;
        s.LeftM = 13.5;
        s.BottomM = 36;
        s.Width = 189;
        s.Height = 72;
        s.HGap = 9;
        s.NAcross = 3;
        return s;
    }

    static void AddStock(const LabelRecord& stock) {
        ASSERT_TRUE(OpenLabels());
        LabBuf = stock;
        LabTbl->appendBlank();
        WriteLabel();
        reports::CloseReportTables();
    }
};
