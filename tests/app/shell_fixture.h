#pragma once

#include "../support/test_support.h"
#include "core/settings_store.h"
#include "program.h"
#include "shell/application.h"

#include <QDir>
#include <QFile>
#include <QStringList>

#include <gtest/gtest.h>

namespace shelltest {

// The program's windows over a temporary executable folder that holds the shipped text files.
class ShellTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder_.isValid());
        shell::resetTerminateRequest();
    }

    void TearDown() override {
        program::destroyWindows();
        shell::resetTerminateRequest();
    }

    QString iniPath() const { return folder_.filePath(QStringLiteral("du2daminfo.INI")); }
    dm::SettingsStore ini() const { return dm::SettingsStore(iniPath().toStdString()); }
    std::string stored(const char* section, const char* key) const {
        return ini().readString(section, key, "<missing>");
    }

    testsupport::ExecutableFolder folder_{QStringLiteral(DM_BIN_DIR)};
    testsupport::RecordingPresenter errors_;
};

} // namespace shelltest
