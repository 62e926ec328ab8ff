// A test case that starts the main window in a fresh data directory (the supplied tables, unless
// a test asks for an empty one). Ending the program is only counted, every prompt must be
// expected through `prompts`, help pages come from the build's copy, and the data store's
// program-wide state is reset before and after.
#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QGuiApplication>
#include <QTest>
#include <filesystem>
#include <functional>
#include <memory>

#include "app/main_window.h"
#include "db/program_state.h"
#include "db/settings.h"
#include "tests/support/scripted_prompts.h"
#include "tests/support/temp_data_dir.h"
#include "ui/help_window.h"

// Shows texts in failure messages as text rather than as bytes.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

class MainWindowTest : public ::testing::Test {
protected:
    explicit MainWindowTest(TempDataDir::Contents contents = TempDataDir::SuppliedTables)
        : dir_(contents) {
        ResetProgramState();
        countEnds();
        HelpDirectory = CORVANE_HELP_DIR;
    }
    ~MainWindowTest() override {
        windows_.clear();
        ResetProgramState();
    }

    // Makes a main window and shows it, which runs start-up; the window lives until the test
    // ends.
    TMain& start() {
        windows_.push_back(std::make_unique<TMain>());
        TMain& main = *windows_.back();
        main.show();
        return main;
    }
    // The window made last; nullptr before the first.
    TMain* latest() const { return windows_.empty() ? nullptr : windows_.back().get(); }
    // Makes the window the one with the focus, so that the focus moves between its controls.
    // (The window counts as active already while its hidden splash still has the focus.)
    static void activate(TMain& main) {
        main.activateWindow();
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return QGuiApplication::focusWindow() == main.windowHandle(); }));
    }

    template <typename T>
    static T* child(const TMain& main, const char* name) {
        T* found = main.findChild<T*>(name);
        EXPECT_NE(found, nullptr) << "no " << name;
        return found;
    }
    static void click(const TMain& main, const char* button) {
        child<QAbstractButton>(main, button)->click();
    }

    // Stores settings in CVN1 before the program starts, through the program's own write.
    void storeSettings(const std::function<void(SettingsValues&)>& change) {
        InitDbContext();
        change(SettingsRecord);
        ASSERT_TRUE(SaveSettings());
        ResetProgramState();
        countEnds();
    }

    bool exists(const std::string& file) const { return std::filesystem::exists(dir_.file(file)); }

    TempDataDir dir_;
    ScriptedPrompts prompts_;
    int endCalls_ = 0;

private:
    void countEnds() {
        EndProgram = [this] { ++endCalls_; };
    }

    std::vector<std::unique_ptr<TMain>> windows_;
};

// The settings record as the file holds it, read with a context of the test's own.
struct StoredSettings {
    QString fontName;
    int fontSize = 0;
    QString company;
    bool byCust = false;
    bool fifo = false;
};
StoredSettings ReadStoredSettings();
// Changes the company name in the file behind the program's back.
void StoreCompany(const QString& company);
// How many records a table holds, deleted ones included.
int RecordCount(const char* table);
