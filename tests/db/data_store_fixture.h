// A test case that runs in a fresh copy of the supplied tables with the data store's program-wide
// state reset before and after: the engine context is created on the directory, messages the
// data store shows are collected instead of shown, and ending the program is only counted.
#pragma once

#include <gtest/gtest.h>

#include <QStringList>

#include "core/prompt.h"
#include "db/program_state.h"
#include "tests/support/temp_data_dir.h"

class DataStoreTest : public ::testing::Test {
protected:
    DataStoreTest() : dir_(TempDataDir::SuppliedTables) {
        ResetProgramState();
        EndProgram = [this] { ++endCalls_; };
        previousPrompt_ = prompt::setHandler([this](const prompt::Request& r) {
            messages_ << r.text;
            return prompt::Reply{true, {}};
        });
        InitDbContext();
    }
    ~DataStoreTest() override {
        ResetProgramState();
        prompt::setHandler(std::move(previousPrompt_));
    }

    TempDataDir dir_;
    int endCalls_ = 0;
    QStringList messages_;

private:
    prompt::Handler previousPrompt_;
};
